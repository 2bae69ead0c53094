#!/bin/sh
# velmora started without a display it can use: one Swedish line, status 1.
expect() {  # expect LINE [VARIABLE=VALUE...]
    line=$1; shift
    said=$(env -i "$@" "$velmora" 2>&1); status=$?
    [ "$status" = 1 ] && [ "$said" = "$line" ] || { echo "env -i $*: status $status, said: $said"; exit 1; }
}
velmora=$1
expect 'velmora: ingen bildskärm att visa fönstret på (varken DISPLAY eller WAYLAND_DISPLAY är satt).'
expect 'velmora: bildskärmen går inte att öppna, fönstret kan inte visas (DISPLAY=":4242" WAYLAND_DISPLAY="").' DISPLAY=:4242
# A platform chosen outright still runs the window (until timeout ends it: 124).
env -i QT_QPA_PLATFORM=offscreen timeout 3 "$velmora" >/dev/null 2>&1; [ $? = 124 ] || { echo "offscreen: no window"; exit 1; }
