# bash completion for velmora-crypt: its options, and file names for the
# password file, the output and the input. Installed as
# /usr/share/bash-completion/completions/velmora-crypt, where bash-completion
# finds it the first time velmora-crypt is completed.

_velmora_crypt() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    # Bash splits "--password-file=FIL" at the "=" into three words.
    if [[ $cur == = ]]; then
        cur=''
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()
    case $prev in
        --password-fd) return 0 ;;  # a descriptor number: nothing to offer
        --password-file | -o | --output) _velmora_crypt_files "$cur"; return 0 ;;
    esac
    local word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD - 1}"; do
        [[ $word == -- ]] && { _velmora_crypt_files "$cur"; return 0; }
    done
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--password-file --password-fd --raw --repair -o --output -h --help --version' -- "$cur")
    else
        _velmora_crypt_files "$cur"
    fi
}

_velmora_crypt_files() {
    compopt -o filenames 2>/dev/null  # quote what it offers, mark folders with /
    mapfile -t COMPREPLY < <(compgen -f -- "$1")
}

complete -F _velmora_crypt velmora-crypt
