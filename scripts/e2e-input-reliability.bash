#!/usr/bin/env bash
# How reliably keys, shortcuts, clicks and the clipboard reach the window on
# a platform's rig (not a test of the program: a measure of the rig).
# Usage: scripts/e2e-input-reliability.bash VELMORA VELMORA_CRYPT ARTIFACT_DIR x11|wayland ROUNDS [a11y]
# Each round: a text on the clipboard, a click into the password box, Ctrl+V
# there (the text area takes the text and the keyboard), Alt+M, a click into
# the password box, Ctrl+A BackSpace, a typed password (capitals and digits),
# Enter, the warning box answered with Enter, Alt+M Ctrl+C, and the
# clipboard compared with velmora-crypt's answer. Prints one RESULT line;
# a11y runs the program with the accessibility bus on, as velmora_e2e.bash does.
set -euo pipefail
velmora=$1 crypt=$2 artifacts=$3 platform=$4 rounds=$5 a11y=${6:-}
[[ $a11y != a11y || -n ${VELMORA_TEST_BUS:-} ]] || VELMORA_TEST_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/$([[ $platform == wayland ]] && echo wayland || echo x)_session.bash"
xs_begin "$artifacts"
extra=()
if [[ $a11y == a11y ]]; then
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$xs_tmp/atspi.log" 2>&1 &
    xs_pids+=($!)
    extra=(QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS")
fi
xs_start_app "$velmora" "${extra[@]}"
m=$xs_menu_height
pixel() {
    local at="p{$1,$(($2 + m))}"
    xs_window_picture "$xs_tmp/probe.png" &&
        convert "$xs_tmp/probe.png" -format "%[fx:round(255*$at.r)],%[fx:round(255*$at.g)],%[fx:round(255*$at.b)]" info:
}
password_box() { xs_click_window 60 $((386 + m)); xs_wait_until eval '[[ $(pixel 110 378) == 166,202,240 ]]'; }
pasted=0 whole=0 start=$SECONDS
for ((i = 1; i <= rounds; i++)); do
    printf 'Hej %d d\xc3\xa5!\r\n' "$i" >"$xs_tmp/text"
    password="Pw${i}Qx-$((RANDOM % 1000))"
    "$crypt" --password-file <(echo "$password") -o "$xs_tmp/want" "$xs_tmp/text"
    xs_clip_serve "$xs_tmp/text"
    password_box || { echo "round $i: the password box did not take the keyboard"; continue; }
    xs_key ctrl+v
    xs_wait_until eval '[[ $(pixel 110 378) == 255,255,224 ]]' || { echo "round $i: Ctrl+V did not move the keyboard"; continue; }
    pasted=$((pasted + 1))
    xs_key alt+m
    password_box || { echo "round $i: the password box did not take the keyboard (2)"; continue; }
    xs_key ctrl+a BackSpace
    xs_type "$password"
    xs_key Return
    xs_wait_until xs_find_window Velmora || { echo "round $i: no warning box"; continue; }
    box=$(xs_window_named Velmora)
    xs_focus_window "$box"
    xs_key Return
    xs_wait_until eval '! xs_find_window Velmora' || { echo "round $i: the box stays"; continue; }
    xs_focus_window "$xs_wid"
    printf 'platshållare' >"$xs_tmp/placeholder"
    xs_clip_serve "$xs_tmp/placeholder"
    server=$xs_clip_pid
    xs_key alt+m ctrl+c
    if ! xs_wait_until xs_not_running "$server"; then
        echo "round $i: Alt+M Ctrl+C did not take the clipboard"
        xs_window_picture "$xs_artifacts/round-$i.png"
        kill "$server"
        continue
    fi
    xs_clip_read "$xs_tmp/seen" || true
    if cmp -s "$xs_tmp/want" "$xs_tmp/seen"; then
        whole=$((whole + 1))
    else
        echo "round $i: saw $(xs_show "$xs_tmp/seen"), expected $(xs_show "$xs_tmp/want")"
        xs_window_picture "$xs_artifacts/round-$i.png"
    fi
done
recovered=$(grep -c 'no activation' "$xs_tmp/rig.log" 2>/dev/null || true)
echo "RESULT $platform${a11y:+ $a11y}: Ctrl+V from the password box $pasted/$rounds, whole round $whole/$rounds," \
    "$((SECONDS - start)) s${recovered:+, focus given back again $recovered times}"
