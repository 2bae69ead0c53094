#!/usr/bin/env bash
# The Debian package: built with cpack from the build tree, then unpacked
# and examined the way dpkg would install it.
#
# Usage: package_test.bash CHECK PACKAGE_DIR VERSION PRODUCT SOURCE_DIR [CPACK_CONFIG CPACK | E2E_DIR ARTIFACTS]
#   build     runs cpack into PACKAGE_DIR (the other checks need its output)
#   contents  files, modes, owners, the link, Info.txt, .desktop, icon, control
#             fields, and the unpacked velmora-crypt on the published known answer
#   window    the unpacked window, started through its link, opens the
#             Info.txt beside its real file from the Info menu
set -euo pipefail
check=$1 package_dir=$2 version=$3 product=$4 source_dir=$5
deb="$package_dir/velmora_${version}_$(dpkg --print-architecture).deb"

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

unpack() {
    [[ -f $deb ]] || fail "expected the package $deb (made by the package.build test), there is none"
    unpacked=$(mktemp -d "${TMPDIR:-/tmp}/velmora-deb.XXXXXXXX")
    trap 'rm -rf -- "$unpacked"' EXIT
    dpkg-deb -x "$deb" "$unpacked/root"
    root="$unpacked/root"
}

check_build() {
    rm -rf -- "$package_dir"
    mkdir -p -- "$package_dir"
    "$7" --config "$6" -B "$package_dir" >"$package_dir/cpack.log" 2>&1 || fail "expected cpack to succeed: $(tail -n 20 "$package_dir/cpack.log")"
    [[ -f $deb ]] || fail "expected cpack to make $deb, it made: $(ls "$package_dir")"
}

check_contents() {
    unpack
    local listing expected
    listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k 3)
    expected=$({
        printf '%s\n' "lrwxrwxrwx ./usr/bin/velmora" "-rwxr-xr-x ./usr/bin/velmora-crypt" "-rwxr-xr-x ./usr/lib/velmora/velmora"
        printf -- '-rw-r--r-- ./usr/%s\n' lib/velmora/Info.txt share/applications/velmora.desktop \
            share/doc/velmora/{changelog.gz,copyright} share/man/{,en/}man1/velmora{,-crypt}.1.gz \
            share/metainfo/org.example.velmora.metainfo.xml share/bash-completion/completions/velmora-crypt \
            share/zsh/vendor-completions/_velmora-crypt
        if [[ ${VELMORA_WEB_PAGE:-OFF} == ON ]]; then echo "-rw-r--r-- ./usr/share/velmora/velmora.html"; fi
        for n in 16 24 32 48 64 128 256; do echo "-rw-r--r-- ./usr/share/icons/hicolor/${n}x$n/apps/velmora.png"; done
    } | awk '{ print $1, "root/root", $2 }' | sort -k 3)
    [[ $listing == "$expected" ]] || fail "expected the package to hold exactly"$'\n'"$expected"$'\n'"it holds"$'\n'"$listing"
    # The command is a relative link to the real program, whose folder holds
    # Info.txt: the window looks for it beside its resolved file.
    [[ $(readlink "$root/usr/bin/velmora") == ../lib/velmora/velmora ]] || fail "expected usr/bin/velmora -> ../lib/velmora/velmora"
    cmp -s "$root/usr/lib/velmora/Info.txt" "$source_dir/resources/Info.txt" || fail "expected Info.txt to be resources/Info.txt"
    local desktop="$root/usr/share/applications/velmora.desktop" key
    for key in Type=Application "Name=$product" Exec=velmora Icon=velmora Terminal=false 'Categories=Utility;Security;'; do
        grep -qxF -- "$key" "$desktop" || fail "expected $key in velmora.desktop, it has: $(cat "$desktop")"
    done
    # The desktop's key has a transparent ground; laid on the window icon's silver it is that icon.
    local differing
    differing=$(convert "$root/usr/share/icons/hicolor/32x32/apps/velmora.png" -background 'rgb(192,192,192)' -flatten png:- |
        compare -metric AE "$source_dir/resources/key.ico" - null: 2>&1 || true)
    [[ $differing == 0 ]] || fail "expected velmora.png on silver to show resources/key.ico exactly, $differing pixels differ"

    [[ $(dpkg-deb -f "$deb" Package Version) == "Package: velmora"$'\n'"Version: $version" ]] || fail "expected Package velmora, Version $version"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for owner in libqt6widgets6 libstdc++6 libc6 fonts-liberation xdg-utils; do
        [[ $depends == *"$owner"* ]] || fail "expected $owner in Depends: $depends"
    done
    # The installed velmora-crypt on the published known answer.
    printf 'Hemligt7\n' >"$unpacked/password"
    printf 'Hej d\xc3\xa5!\r\n' >"$unpacked/text"
    # Windows-1252 42 27 2C CE 17 3A A5 7B EE, written as UTF-8.
    printf "B',\\xc3\\x8e\\x17:\\xc2\\xa5{\\xc3\\xae" >"$unpacked/expected"
    "$root/usr/bin/velmora-crypt" --password-file "$unpacked/password" -o "$unpacked/cipher" "$unpacked/text" &&
        cmp -s "$unpacked/expected" "$unpacked/cipher" ||
        fail "expected \"Hej då!\\r\\n\" with Hemligt7 to give $(od -An -tx1 "$unpacked/expected"), saw $(od -An -tx1 "$unpacked/cipher")"
}

check_window() {
    unpack
    source "$6/x_session.bash"
    xs_require_tools
    local keep=$unpacked
    xs_begin "$7"  # takes over the exit trap; the unpacked tree goes with its folder
    mv -- "$keep" "$xs_tmp/unpacked"
    root="$xs_tmp/unpacked/root"
    xs_install_recording_opener
    xs_start_app "$root/usr/bin/velmora"
    xs_expect_info_opens "$(cd "$root/usr/lib/velmora" && pwd -P)/Info.txt"
    xs_expect_exit_by_alt_e
}

"check_$check" "$@"
