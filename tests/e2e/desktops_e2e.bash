#!/usr/bin/env bash
# The real velmora window on the desktops people have: a screen reader
# listening on the accessibility bus, and a light and a dark GTK theme.
#
# Usage: desktops_e2e.bash VELMORA ARTIFACT_DIR (screenshots, logs, events)
set -euo pipefail
# A private session bus, with the accessibility bus on it, for this test alone.
[[ -n ${VELMORA_TEST_BUS:-} ]] || VELMORA_TEST_BUS=1 exec dbus-run-session -- "$0" "$@"
velmora=$1
source "$(dirname "${BASH_SOURCE[0]}")/x_session.bash"
probe="/usr/bin/python3 $(dirname "${BASH_SOURCE[0]}")/atspi_probe.py"

# client_picture FILE: the window below its menu bar.
client_picture() {
    import -window "$xs_wid" "$xs_tmp/whole.png"
    convert "$xs_tmp/whole.png" -crop "467x${XS_CLIENT_HEIGHT}+0+$xs_menu_height" +repage "$1"
}

# menu_bar_is LIGHTNESS: the menu bar is "dark" or "light" on the whole and
# its captions stand out from it (lightness 0 to 1, darkest to lightest).
menu_bar_is() {
    local mean range
    read -r mean range <<<"$(convert "$xs_tmp/whole.png" -crop "120x${xs_menu_height}+0+0" -colorspace Gray \
        -format '%[fx:mean] %[fx:maxima-minima]' info:)"
    awk -v m="$mean" -v r="$range" -v want="$1" 'BEGIN { exit !((want == "dark" ? m < 0.5 : m > 0.5) && r > 0.6) }' ||
        xs_fail "expected a readable $1 menu bar, saw mean lightness $mean, range $range"
}

click_password_box() { xdotool mousemove --window "$xs_wid" 60 "$((386 + xs_menu_height))" click 1; }

# The window at start and with a password typed, under a theme given by
# environment variables; it then ends by Alt+E.
pictures_under_theme() {
    local theme=$1
    shift
    xs_start_app "$velmora" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" "$@"
    client_picture "$xs_artifacts/$theme-start.png"
    click_password_box
    xs_type Hemligt7
    sleep 0.5
    client_picture "$xs_artifacts/$theme-password.png"
}

xs_require_tools dbus-run-session
[[ -x /usr/libexec/at-spi-bus-launcher && -x /usr/bin/python3 ]] || xs_fail "tool missing: at-spi2-core or python3 (scripts/ensure-packages.sh installs them)"
xs_begin "$2"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$xs_tmp/atspi.log" 2>&1 &
xs_pids+=($!)
events=$xs_tmp/events
$probe "$events" >"$xs_tmp/probe.log" 2>&1 &
xs_pids+=($!)
xs_wait_until test -f "$events.ready" || xs_fail "expected the AT-SPI listener to start: $(cat "$xs_tmp/probe.log")"

pictures_under_theme light
menu_bar_is light
# A screen reader learns that the box is a password field and how many
# characters it holds; no character of the password reaches it.
xs_key alt+m
click_password_box
xs_key Return
xs_wait_until xs_find_window Velmora || xs_fail "expected the warning"
xs_focus_window "$(xdotool search --onlyvisible --name '^Velmora$')"
xs_key Return
xs_wait_until grep -q "accessible-name	status bar	'Kryptering / Dekryptering  Klar  OK'" "$events" ||
    xs_fail "expected the status line to announce its new text, heard: $(grep 'status bar' "$events")"
touch "$events.stop"
xs_wait_until test -f "$events.objects" || xs_fail "expected the AT-SPI listener to describe the window: $(cat "$xs_tmp/probe.log")"
cp "$events" "$xs_artifacts/events.txt"
seen=$(cat "$events.objects")
[[ $seen == *$'password text\tLösenord\t\t\t8'* && $seen == *$'\ntext\tText att kryptera eller dekryptera\t'* ]] ||
    xs_fail "expected a password field named Lösenord holding 8 characters, none of them shown, and the named text area, saw: $seen"
[[ $(grep -c "^object:text-changed:insert	password text	'\*'$" "$events") == 8 ]] ||
    xs_fail "expected one star for each character typed, heard: $(grep 'password' "$events")"
if grep "	password text	'" "$events" | grep -v "	'\**'$" >&2; then
    xs_fail "expected no character of the password on the accessibility bus (above)"
fi
xs_expect_exit_by_alt_e

# A dark desktop theme changes the menu bar, not the window's own look (the
# text cursor may blink between the pictures).
pictures_under_theme dark QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
menu_bar_is dark
xs_expect_exit_by_alt_e
for picture in start password; do
    differing=$(compare -metric AE -fuzz 2% "$xs_artifacts/light-$picture.png" "$xs_artifacts/dark-$picture.png" \
        "$xs_artifacts/difference-$picture.png" 2>&1 || true)
    ((differing <= 40)) || xs_fail "expected the window ($picture) to look the same under a dark theme, $differing pixels differ (see difference-$picture.png)"
done
