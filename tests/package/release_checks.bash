#!/usr/bin/env bash
# The package as Debian's and the desktop's own checkers see it, and the
# manuals against the program's help.
# Usage: release_checks.bash CHECK PACKAGE_DIR VERSION
#   lintian   no error or warning (status 77, skipped, without lintian)
#   metadata  desktop-file-validate and appstreamcli on the unpacked tree
#   manuals   both velmora-crypt manuals list exactly the options of --help
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
        want=$("$root/usr/bin/velmora-crypt" --help | help_options)
        [[ $want == *--password-file* ]] || fail "expected options in velmora-crypt --help, saw: $want"
        for manual in "$root"/usr/share/man/man1/velmora-crypt.1.gz "$root"/usr/share/man/en/man1/velmora-crypt.1.gz; do
            seen=$(manual_options "$manual")
            [[ $seen == "$want" ]] || fail "expected ${manual#"$root"} to list the options of --help:"$'\n'"$want"$'\n'"it lists:"$'\n'"$seen"
        done
        ;;
    *) fail "unknown check: $check" ;;
esac
