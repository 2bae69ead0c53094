#!/bin/sh
# velmora without a display it can use: --help and --version answer and
# exit 0, a wrong argument is refused with status 2, and the window's start
# ends in one Swedish line, status 1.
velmora=$1 version=$2
expect() {  # expect STATUS STDOUT'S-FIRST-LINE STDERR ENVIRONMENT [ARGUMENT...]
    want_status=$1 want_out=$2 want_err=$3 env=$4; shift 4
    out=$(env -i $env "$velmora" "$@" 2>/dev/null); status=$?
    err=$(env -i $env "$velmora" "$@" 2>&1 >/dev/null)
    case "$status|${out%%
*}|$err" in
        "$want_status|$want_out|$want_err") ;;
        *) printf 'env -i %s velmora %s: status %s, stdout:\n%s\nstderr:\n%s\n' "$env" "$*" "$status" "$out" "$err"; exit 1 ;;
    esac
}
expect 0 "velmora $version" '' '' --version
expect 0 'Användning: velmora [FLAGGOR]' '' '' -platform xcb --help
for wrong in --bogus -x mail.txt xreverse; do
    expect 2 '' "velmora: Okänt argument '$wrong'.
velmora: Se 'velmora --help'." '' --style fusion "$wrong"
done
expect 2 '' "velmora: Flaggan -platform kräver ett värde.
velmora: Se 'velmora --help'." '' -platform
expect 1 '' 'velmora: ingen bildskärm att visa fönstret på (varken DISPLAY eller WAYLAND_DISPLAY är satt).' ''
expect 1 '' 'velmora: bildskärmen går inte att öppna, fönstret kan inte visas (DISPLAY=":4242" WAYLAND_DISPLAY="").' DISPLAY=:4242
# Qt's own options still reach Qt: the window runs (until timeout ends it: 124).
env -i timeout 3 "$velmora" -platform offscreen -style fusion >/dev/null 2>&1; [ $? = 124 ] || { echo "-platform offscreen: no window"; exit 1; }
