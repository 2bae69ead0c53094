#!/usr/bin/env bash
# The package as Debian's and the desktop's own checkers see it, and the
# manuals against the program's help.
# Usage: release_checks.bash CHECK PACKAGE_DIR VERSION
#   lintian   no error or warning (status 77, skipped, without lintian)
#   metadata  desktop-file-validate and appstreamcli on the unpacked tree
#   manuals   each program's two manuals list exactly the options of its --help
#   completion  bash completes velmora-crypt's options and files as its
#             bash-completion loads it from the package; zsh reads its own
set -euo pipefail
check=${1:?check} deb=${2:?package folder}/velmora_${3:?version}_$(dpkg --print-architecture).deb
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
[[ -f $deb ]] || fail "expected the package $deb (made by the package.build test)"
root=$(mktemp -d "${TMPDIR:-/tmp}/velmora-release.XXXXXXXX")
trap 'rm -rf -- "$root"' EXIT
dpkg-deb -x "$deb" "$root"

# Options named at the start of an option line: "  -o, --output UTFIL  ..."
# in the help, the line after .TP in a manual.
help_options() { grep -E '^ +-' | sed -E 's/^ +//; s/  .*//' | grep -oE -- '--?[a-z][a-z-]*' | sort -u; }
manual_options() { zcat "$1" | awk '/^\.TP/ { getline; print }' | tr -d '\\' | grep -oE -- ' "?--?[a-z][a-z-]*' | tr -d ' "' | sort -u; }

case $check in
    lintian)
        command -v lintian >/dev/null || { echo "lintian is not installed: skipped"; exit 77; }
        lintian --fail-on error,warning --info "$deb" || fail "expected lintian to find no error or warning in $deb"
        ;;
    metadata)
        desktop-file-validate "$root"/usr/share/applications/velmora.desktop || fail "expected velmora.desktop to validate"
        appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "expected the AppStream metadata to validate"
        appstreamcli validate-tree --no-net "$root" || fail "expected the installed tree (launchable, icons) to validate"
        ;;
    manuals)
        for program in velmora-crypt velmora; do
            want=$("$root/usr/bin/$program" --help | help_options)
            [[ $want == *--version* ]] || fail "expected options in $program --help, saw: $want"
            for manual in "$root"/usr/share/man/{,en/}man1/$program.1.gz; do
                seen=$(manual_options "$manual")
                [[ $seen == "$want" ]] || fail "expected ${manual#"$root"} to list the options of --help:"$'\n'"$want"$'\n'"it lists:"$'\n'"$seen"
            done
        done
        ;;
    completion)
        # What bash offers for the words typed, the cursor in the last one;
        # run in a folder holding pw.txt and brev.txt.
        offered() {
            (set +eu && XDG_DATA_DIRS=$root/usr/share && source /usr/share/bash-completion/bash_completion &&
                __load_completion velmora-crypt && read -ra registered <<<"$(complete -p velmora-crypt)" &&
                COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) && "${registered[2]}" velmora-crypt "${@: -1}" "${@: -2:1}" &&
                printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs) || echo "(no completion)"
        }
        mkdir "$root/work" && cd "$root/work" && touch pw.txt brev.txt
        while IFS='|' read -r want words; do
            eval "set -- $words"
            [[ $(offered "$@") == "$want" ]] || fail "expected bash to offer \"$want\" for $words, it offered \"$(offered "$@")\""
        done <<'EOF'
--help --output --password-fd --password-file --raw --repair --version -h -o|velmora-crypt -
pw.txt|velmora-crypt --password-file p
brev.txt pw.txt|velmora-crypt --password-file =
|velmora-crypt --password-fd = p
|velmora-crypt --password-file --r
brev.txt pw.txt|velmora-crypt -o ''
brev.txt|velmora-crypt --raw b
--raw --repair|velmora-crypt -o ut.txt --r
|velmora-crypt -- --r
EOF
        zsh -n "$root"/usr/share/zsh/vendor-completions/_velmora-crypt || fail "expected zsh to read _velmora-crypt"
        ;;
    *) fail "unknown check: $check" ;;
esac
