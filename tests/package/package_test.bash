#!/usr/bin/env bash
# The Debian package: built with cpack from the build tree, then unpacked
# and examined the way dpkg would install it.
#
# Usage: package_test.bash CHECK PACKAGE_DIR VERSION PRODUCT SOURCE_DIR [CPACK_CONFIG CPACK]
#   build     runs cpack into PACKAGE_DIR (the other checks need its output)
#   contents  file list, kinds, modes, owners, the link, Info.txt, .desktop, icon
#   control   the control fields, and a dependency for every library linked
#   crypt     the unpacked velmora-crypt on the published known answers
#   window    the unpacked window, started through its link, opens the
#             Info.txt beside its real file from the Info menu
set -euo pipefail

check=${1:?check}
package_dir=${2:?package folder}
version=${3:?version}
product=${4:?product name}
source_dir=${5:?source folder}

arch=$(dpkg --print-architecture)
deb="$package_dir/velmora_${version}_${arch}.deb"

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

# The unpacked tree, removed on every exit.
unpacked=
cleanup() {
    local status=$?
    [[ -z $unpacked ]] || rm -rf -- "$unpacked"
    exit "$status"
}

unpack() {
    [[ -f $deb ]] || fail "expected the package $deb (made by the package.build test), there is none"
    unpacked=$(mktemp -d "${TMPDIR:-/tmp}/velmora-deb.XXXXXXXX")
    trap cleanup EXIT
    dpkg-deb -x "$deb" "$unpacked/root" || fail "expected dpkg-deb -x to unpack $deb"
    root="$unpacked/root"
}

check_build() {
    local config=${6:?cpack config} cpack=${7:?cpack}
    rm -rf -- "$package_dir"
    mkdir -p -- "$package_dir"
    "$cpack" --config "$config" -B "$package_dir" >"$package_dir/cpack.log" 2>&1 ||
        fail "expected cpack to succeed; its output: $(tail -n 20 "$package_dir/cpack.log")"
    rm -rf -- "$package_dir/_CPack_Packages"
    local made
    made=$(find "$package_dir" -maxdepth 1 -name '*.deb' -printf '%f\n')
    [[ $made == "$(basename "$deb")" ]] ||
        fail "expected cpack to make exactly $(basename "$deb"), it made: ${made:-nothing}"
}

# The regular files and links of the package, nothing more or less.
expected_entries() {
    sort <<EOF
./usr/bin/velmora
./usr/bin/velmora-crypt
./usr/lib/velmora/Info.txt
./usr/lib/velmora/velmora
./usr/share/applications/velmora.desktop
$(for n in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${n}x$n/apps/velmora.png"; done)
./usr/share/doc/velmora/changelog.gz
./usr/share/doc/velmora/copyright
./usr/share/man/man1/velmora.1.gz
./usr/share/man/man1/velmora-crypt.1.gz
./usr/share/man/en/man1/velmora.1.gz
./usr/share/man/en/man1/velmora-crypt.1.gz
./usr/share/metainfo/org.example.velmora.metainfo.xml
EOF
}

# desktop_value KEY: the value of KEY in the [Desktop Entry] group.
desktop_value() {
    awk -v key="$1" '
        /^\[/ { group = $0; next }
        group == "[Desktop Entry]" && index($0, key "=") == 1 { print substr($0, length(key) + 2); found = 1; exit }
        END { if (!found) exit 1 }' "$root/usr/share/applications/velmora.desktop"
}

expect_desktop() {
    local key=$1 want=$2 seen
    seen=$(desktop_value "$key") || fail "expected the key $key in velmora.desktop, it is missing"
    [[ $seen == "$want" ]] || fail "expected $key=$want in velmora.desktop, saw $key=$seen"
}

check_contents() {
    unpack
    local listing
    listing=$(dpkg-deb -c "$deb")

    local entries
    entries=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)
    [[ $entries == "$(expected_entries)" ]] ||
        fail "expected the package to hold exactly"$'\n'"$(expected_entries)"$'\n'"it holds"$'\n'"$entries"

    local owners
    owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
    [[ $owners == root/root ]] || fail "expected every entry owned by root/root, saw: $owners"

    # Modes as dpkg will set them.
    local path mode
    while read -r path mode; do
        local seen
        seen=$(awk -v p="$path" '$6 == p { print $1 }' <<<"$listing")
        [[ $seen == "$mode" ]] || fail "expected $path with mode $mode, saw $seen"
    done <<EOF
./usr/bin/velmora-crypt -rwxr-xr-x
./usr/lib/velmora/velmora -rwxr-xr-x
./usr/lib/velmora/Info.txt -rw-r--r--
./usr/share/applications/velmora.desktop -rw-r--r--
./usr/share/icons/hicolor/32x32/apps/velmora.png -rw-r--r--
EOF

    # The command is a relative link to the real program, whose folder
    # holds Info.txt: the window looks for it beside its resolved file.
    [[ -L $root/usr/bin/velmora ]] || fail "expected usr/bin/velmora to be a symbolic link, it is not"
    local target
    target=$(readlink "$root/usr/bin/velmora")
    [[ $target == ../lib/velmora/velmora ]] || fail "expected usr/bin/velmora -> ../lib/velmora/velmora, saw -> $target"
    local real
    real=$(readlink -f "$root/usr/bin/velmora")
    [[ $real == "$(readlink -f "$root/usr/lib/velmora/velmora")" && -f $real && -x $real ]] ||
        fail "expected usr/bin/velmora to resolve to the executable usr/lib/velmora/velmora, it resolves to $real"
    [[ -f $(dirname "$real")/Info.txt ]] || fail "expected Info.txt beside $real, there is none"
    cmp -s "$root/usr/lib/velmora/Info.txt" "$source_dir/resources/Info.txt" ||
        fail "expected usr/lib/velmora/Info.txt to be resources/Info.txt byte for byte, it differs"

    local program
    for program in usr/bin/velmora-crypt usr/lib/velmora/velmora; do
        [[ $(head -c 4 "$root/$program" | od -An -tx1 | tr -d ' ') == 7f454c46 ]] ||
            fail "expected $program to be an ELF program, it is not"
    done

    # The desktop entry.
    [[ $(head -n 1 "$root/usr/share/applications/velmora.desktop") == "[Desktop Entry]" ]] ||
        fail "expected velmora.desktop to begin with [Desktop Entry]"
    expect_desktop Type Application
    expect_desktop Name "$product"
    expect_desktop Exec velmora
    expect_desktop Icon velmora
    expect_desktop Terminal false
    expect_desktop Categories 'Utility;Security;'
    local comment
    comment=$(desktop_value Comment) || fail "expected a Comment in velmora.desktop, it is missing"
    [[ $comment =~ [åäöÅÄÖ] || $comment =~ (och|med|text) ]] ||
        fail "expected a Swedish Comment in velmora.desktop, saw \"$comment\""
    [[ -e $root/usr/bin/$(desktop_value Exec) ]] || fail "expected the Exec program in usr/bin, it is not there"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$root/usr/share/applications/velmora.desktop" ||
            fail "expected velmora.desktop to pass desktop-file-validate"
    fi

    # The icon: the window's key icon, pixel for pixel, 32x32 PNG.
    local icon="$root/usr/share/icons/hicolor/32x32/apps/velmora.png"
    [[ $(head -c 8 "$icon" | od -An -tx1 | tr -d ' ') == 89504e470d0a1a0a ]] ||
        fail "expected velmora.png to be a PNG file, it is not"
    local size
    size=$(identify -format '%wx%h' "$icon") || fail "expected ImageMagick to read velmora.png"
    [[ $size == 32x32 ]] || fail "expected a 32x32 icon, saw $size"
    local differing
    differing=$(compare -metric AE "$source_dir/resources/key.ico" "$icon" null: 2>&1 || true)
    [[ $differing == 0 ]] || fail "expected velmora.png to show resources/key.ico exactly, $differing pixels differ"
}

control_field() { dpkg-deb -f "$deb" "$1"; }

expect_field() {
    local seen
    seen=$(control_field "$1")
    [[ $seen == "$2" ]] || fail "expected the control field $1: $2, saw $1: $seen"
}

# owner_of FILE: the installed package that holds FILE, trying the file as
# named and as resolved, with and without the /usr prefix (the dpkg
# database names some libraries under /lib, which is /usr/lib today).
owner_of() {
    local named candidate owner
    for named in "$1" "$(readlink -f "$1")"; do
        for candidate in "$named" "${named#/usr}" "/usr$named"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n 1) || continue
            [[ -n $owner ]] && { printf '%s\n' "${owner%%:*}"; return 0; }
        done
    done
    return 1
}

check_control() {
    [[ -f $deb ]] || fail "expected the package $deb (made by the package.build test), there is none"
    expect_field Package velmora
    expect_field Version "$version"
    expect_field Architecture "$arch"

    local field
    for field in Section Priority Maintainer Description Installed-Size; do
        [[ -n $(control_field "$field") ]] || fail "expected a non-empty control field $field"
    done
    [[ $(control_field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
        fail "expected Maintainer as \"Name <address>\", saw $(control_field Maintainer)"
    local description
    description=$(control_field Description)
    (($(wc -l <<<"$description") >= 2)) || fail "expected a summary and a longer description, saw: $description"

    # Depends as a list of package names (versions aside).
    local depends names
    depends=$(control_field Depends)
    names=$(tr ',' '\n' <<<"$depends" | sed -e 's/(.*)//' -e 's/|.*//' -e 's/^ *//' -e 's/ *$//' | sort -u)
    local required
    for required in libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation xdg-utils; do
        grep -qx -- "$required" <<<"$names" || fail "expected $required in Depends, saw Depends: $depends"
    done

    # Every library the programs link directly comes from a declared package.
    unpack
    local program library path owner
    for program in usr/lib/velmora/velmora usr/bin/velmora-crypt; do
        while read -r library; do
            if [[ -n ${VELMORA_SANITIZER_RUNTIME:-} && $library =~ ^lib(a|ub|l)san\.so ]]; then continue; fi
            path=$(ldd "$root/$program" | awk -v l="$library" '$1 == l { print $3 }')
            [[ -n $path ]] || fail "expected ldd to find $library for $program"
            owner=$(owner_of "$path") || true
            [[ -n $owner ]] || fail "expected dpkg to know which package holds $path ($library of $program)"
            grep -qx -- "$owner" <<<"$names" ||
                fail "expected $owner (which holds $library, linked by $program) in Depends, saw Depends: $depends"
        done < <(objdump -p "$root/$program" | awk '$1 == "NEEDED" { print $2 }')
    done
}

check_crypt() {
    unpack
    local crypt="$root/usr/bin/velmora-crypt" work="$unpacked/work"
    mkdir -p "$work"
    printf 'Hemligt7\n' >"$work/password"
    printf 'Hej d\xc3\xa5!\r\n' >"$work/text"
    # Windows-1252 42 27 2C CE 17 3A A5 7B EE, written as UTF-8.
    printf "B',\\xc3\\x8e\\x17:\\xc2\\xa5{\\xc3\\xae" >"$work/expected"
    "$crypt" --password-file "$work/password" -o "$work/cipher" "$work/text" ||
        fail "expected the unpacked velmora-crypt to succeed"
    cmp -s "$work/expected" "$work/cipher" ||
        fail "expected \"Hej då!\\r\\n\" with Hemligt7 to give $(od -An -tx1 "$work/expected"), saw $(od -An -tx1 "$work/cipher")"
    "$crypt" --password-file "$work/password" -o "$work/back" "$work/cipher" ||
        fail "expected the unpacked velmora-crypt to decrypt"
    cmp -s "$work/text" "$work/back" || fail "expected decryption to give \"Hej då!\\r\\n\" back, saw $(od -An -c "$work/back")"

    printf 'A' >"$work/a"
    printf 'x\n' >"$work/password"
    [[ $("$crypt" --password-file "$work/password" "$work/a") == K ]] ||
        fail "expected \"A\" to become \"K\" with the unpacked velmora-crypt"
}

check_window() {
    unpack
    local e2e_dir=${6:?e2e folder} artifacts=${7:?artifact folder}
    # shellcheck source=../e2e/x_session.bash
    source "$e2e_dir/x_session.bash"
    # shellcheck disable=SC2119  # no tools beyond the usual ones
    xs_require_tools
    local keep=$unpacked
    xs_begin "$artifacts"
    # xs_begin took over the exit trap; the unpacked tree goes with its folder.
    mv -- "$keep" "$xs_tmp/unpacked"
    unpacked=
    root="$xs_tmp/unpacked/root"
    xs_install_recording_opener
    xs_start_app "$root/usr/bin/velmora"
    xs_expect_info_opens "$(cd "$root/usr/lib/velmora" && pwd -P)/Info.txt"
    xs_focus_window "$xs_wid"
    xs_key alt+e
    xs_wait_until "exit" xs_not_running "$xs_app_pid" ||
        xs_fail "expected Alt+E to end the unpacked program within ${XS_TIMEOUT} s"
}

case $check in
    build) check_build "$@" ;;
    contents) check_contents ;;
    control) check_control ;;
    crypt) check_crypt ;;
    window) check_window "$@" ;;
    *) fail "unknown check: $check" ;;
esac
