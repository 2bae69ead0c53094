#!/usr/bin/env bash
# End-to-end runs of the real velmora window on a private X server, or as a
# Wayland client of weston, driven only from outside as a user would: keys
# and clicks through xdotool, the clipboard through xclip (X11) or wl-copy
# and wl-paste (Wayland), with a screen reader listening on the
# accessibility bus, under a light and a dark GTK theme. Results are compared
# with velmora-crypt and with the published known answer.
#
# Usage: velmora_e2e.bash VELMORA VELMORA_CRYPT ARTIFACT_DIR [x11|wayland]
# (ARTIFACT_DIR gets screenshots, logs, events; x11 unless told)
set -euo pipefail
# A private session bus, with the accessibility bus on it, for this test alone.
[[ -n ${VELMORA_TEST_BUS:-} ]] || VELMORA_TEST_BUS=1 exec dbus-run-session -- bash "$0" "$@"
velmora=$1 crypt=$2 platform=${4:-x11}
case $platform in
    x11) source "$(dirname "${BASH_SOURCE[0]}")/x_session.bash" ;;
    wayland) source "$(dirname "${BASH_SOURCE[0]}")/wayland_session.bash" ;;
    *) echo "FAIL: unknown platform $platform (x11 or wayland)" >&2; exit 2 ;;
esac
events=$3/events

# The password box and the buttons' centres (client-area pixels), the box's colours.
password_box=(60 386)
mark_all=(70 298) copy_button=(160 336) paste_button=(376 336) crypt_button=(266 383)
focus_colour=(166 202 240) rest_colour=(255 255 224)

# pixel X Y: "r,g,b" of a client-area pixel in a fresh screenshot.
pixel() {
    local at="p{$1,$(($2 + xs_menu_height))}"
    xs_window_picture "$xs_tmp/probe.png" 2>/dev/null &&
        convert "$xs_tmp/probe.png" -format "%[fx:round(255*$at.r)],%[fx:round(255*$at.g)],%[fx:round(255*$at.b)]" info:
}

# near X Y R G B: whether the pixel is within 6 of the colour in every channel.
near() {
    local r g b
    IFS=, read -r r g b <<<"$(pixel "$1" "$2")"
    ((r >= $3 - 6 && r <= $3 + 6 && g >= $4 - 6 && g <= $4 + 6 && b >= $5 - 6 && b <= $5 + 6))
}

expect_password_box() {
    local -n colour=$1
    xs_wait_until near 110 378 "${colour[@]}" || xs_fail "$2: expected the password box rgb(${colour[*]}), saw rgb($(pixel 110 378))"
}

click_password_box() {
    xs_click_window "${password_box[0]}" "$((password_box[1] + xs_menu_height))"
    expect_password_box focus_colour "after a click on the password box"
}

# paste_into_window FILE: FILE on the clipboard, Ctrl+V from the password
# box; the text area then holds it and has the focus.
paste_into_window() {
    xs_clip_serve "$1"
    click_password_box
    xs_key ctrl+v
    expect_password_box rest_colour "after Ctrl+V in the password box (the focus moves to the text area)"
}

# click_button X Y [X Y...]: clicks at client-area points, one after another.
click_button() { while (($# > 1)); do xs_click_window "$1" "$(($2 + xs_menu_height))"; shift 2; done; }

# copy_from_window OUT [--buttons]: Alt+M, Ctrl+C (or clicks on "Markera
# Allt" and "Kopiera"), the clipboard read into OUT once the placeholder's
# server has lost the clipboard.
copy_from_window() {
    printf 'platshållare' >"$xs_tmp/placeholder"
    xs_clip_serve "$xs_tmp/placeholder"
    local server=$xs_clip_pid
    if [[ ${2:-} == --buttons ]]; then click_button "${mark_all[@]}" "${copy_button[@]}"; else xs_key alt+m ctrl+c; fi
    xs_wait_until xs_not_running "$server" || xs_fail "expected Markera Allt, Kopiera to take the clipboard over from xclip"
    xs_wait_until xs_clip_read "$1" || xs_fail "expected the clipboard to be readable after Ctrl+C"
}

message_box_shown() { xs_find_window Velmora; }
message_box_gone() { ! xs_window_named Velmora | grep -x "$1" >/dev/null; }

# answer_message_box KEY: the one message box (caption "Velmora") given the
# keyboard and answered with KEY; returns once that box has closed (the next
# may open at once).
answer_message_box() {
    xs_wait_until message_box_shown || xs_fail "expected a message box (caption \"Velmora\")"
    local box
    box=$(xs_window_named Velmora)
    xs_focus_window "$box"
    xs_key "$1"
    xs_wait_until message_box_gone "$box" || xs_fail "expected $1 to close the message box"
}

# crypt_in_window PASSWORD|--pasted FILE ANSWER_KEY: Alt+M, the password
# typed into the box or pasted from FILE through the box's own menu, Enter,
# the warning answered with the key; the window focused again.
crypt_in_window() {
    xs_key alt+m
    click_password_box
    xs_key ctrl+a BackSpace
    if [[ $1 == --pasted ]]; then
        xs_clip_serve "$2"
        xs_click_window "${password_box[0]}" "$((password_box[1] + xs_menu_height))" 3
        xs_key k  # "&Klistra in"
        shift
    else
        xs_type "$1"
    fi
    xs_key Return
    answer_message_box "$2"    # the warning
    xs_focus_window "$xs_wid"  # without a window manager nobody hands the focus back
}

# client_picture FILE: the window below its menu bar.
client_picture() {
    xs_window_picture "$xs_tmp/whole.png"
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

# pictures_under_theme NAME [VARIABLE=VALUE...]: the window at start and
# with a password typed, under the theme the variables give; then Alt+E.
pictures_under_theme() {
    xs_start_app "$velmora" "${@:2}"
    client_picture "$xs_artifacts/$1-start.png"
    menu_bar_is "$1"
    click_password_box
    xs_type Hemligt7
    sleep 0.5
    client_picture "$xs_artifacts/$1-password.png"
    xs_expect_exit_by_alt_e
}

xs_require_tools dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/bin/python3 perl
xs_begin "$3"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$xs_tmp/atspi.log" 2>&1 &
xs_pids+=($!)
/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/atspi_probe.py" "$events" >"$xs_tmp/probe.log" 2>&1 &
xs_pids+=($!)
xs_wait_until test -f "$events.ready" || xs_fail "expected the AT-SPI listener to start: $(cat "$xs_tmp/probe.log")"
xs_start_app "$velmora" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
[[ $(xs_caption) == "$XS_CAPTION" ]] || xs_fail "expected the caption \"$XS_CAPTION\", saw \"$(xs_caption)\""
# The desktop knows the window by its desktop entry (installed as
# velmora.desktop): on Wayland by the app id, its name; on X11 by the
# window's class, the entry's StartupWMClass.
if [[ $XS_PLATFORM == wayland ]]; then
    app_id=velmora
else
    app_id=$(sed -n 's/^StartupWMClass=//p' "$(dirname "${BASH_SOURCE[0]}")/../../packaging/velmora.desktop.in")
fi
[[ -n $app_id && $(xs_app_id) == "$app_id" ]] || xs_fail "expected the window known as \"$app_id\" (velmora.desktop), the desktop has \"$(xs_app_id)\""
# The background shades from white at the top left, right under the menu
# bar, to grey near 192 at the bottom right; the focus starts on Exit.
xs_wait_until near 2 0 255 255 255 || xs_fail "expected the white client corner under the menu bar, saw rgb($(pixel 2 0))"
near 463 360 195 195 195 || xs_fail "expected grey near 192 at the bottom right, saw rgb($(pixel 463 360))"
expect_password_box rest_colour "at start"

text="$xs_tmp/text" expected="$xs_tmp/expected" seen="$xs_tmp/seen"
printf 'Hej d\xc3\xa5!\r\n' >"$text"
# Windows-1252 42 27 2C CE 17 3A A5 7B EE, written as UTF-8.
printf "B',\\xc3\\x8e\\x17:\\xc2\\xa5{\\xc3\\xae" >"$expected"
# Ctrl+V while a button (Exit) has the keyboard pastes into the text area too.
xs_clip_serve "$text"
xs_key ctrl+v
copy_from_window "$seen"
xs_expect_same "the text area after Ctrl+V with the keyboard on Exit" "$text" "$seen"
paste_into_window "$text"
crypt_in_window Hemligt7 Escape  # Avbryt: nothing changes
copy_from_window "$seen"
xs_expect_same "the pasted text after the warning was cancelled" "$text" "$seen"
crypt_in_window Hemligt7 Return
copy_from_window "$seen"
xs_expect_same "the window on \"Hej då!\\r\\n\" with Hemligt7" "$expected" "$seen"
"$crypt" --password-file <(echo Hemligt7) -o "$seen" "$expected"
xs_expect_same "velmora-crypt's decryption of the window's text" "$text" "$seen"

# A password pasted with its line end is the password of that line.
printf 'Hemligt7\r\n' >"$xs_tmp/password"
paste_into_window "$text"
crypt_in_window --pasted "$xs_tmp/password" Return
copy_from_window "$seen"
xs_expect_same "the window with \"Hemligt7\\r\\n\" pasted into the password box" "$expected" "$seen"

# A screen reader heard the password box as a password field, how many
# characters it holds and a star for each typed, never a character of it,
# and the status line's new text.
touch "$events.stop"
xs_wait_until test -f "$events.objects" || xs_fail "expected the AT-SPI listener to describe the window: $(cat "$xs_tmp/probe.log")"
heard=$'\n'$(cat "$events.objects")
[[ $heard == *$'password text\tLösenord\t\t\t8'* && $heard == *$'\ntext\tText att kryptera eller dekryptera\t'* ]] ||
    xs_fail "expected a password field named Lösenord holding 8 characters, none of them shown, and the named text area, heard: $heard"
grep -q "^object:text-changed:insert	password text	'\*'$" "$events" || xs_fail "expected a star for each typed character"
if grep "	password text	'" "$events" | grep -v "	'\**'$" >&2; then
    xs_fail "expected no character of the password on the accessibility bus (above)"
fi
grep -q "accessible-name	status bar	'Kryptering / Dekryptering  Klar  OK'" "$events" ||
    xs_fail "expected the status line to announce its new text, heard: $(grep 'status bar' "$events" || true)"

# A clipboard without text, or whose owner does not answer, leaves the text
# as it was; a stopped owner keeps the window waiting only a moment longer
# than one that answers (Qt alone waits 5 s for each question it asks).
convert -size 8x8 xc:red "$xs_tmp/picture.png"
took=()
for owner in "a picture" "a stopped owner"; do
    if [[ $owner == "a picture" ]]; then xs_clip_serve "$xs_tmp/picture.png" image/png; else xs_clip_serve "$text" && kill -STOP "$xs_clip_pid"; fi
    stopped=$xs_clip_pid started=$(date +%s%N)
    click_password_box
    xs_key ctrl+v
    [[ $owner == "a picture" ]] || xs_key shift+Insert  # once more, the owner as silent as before
    # The keys are handled in turn: the text area takes the keyboard at the
    # first, and the password box takes it back after the second.
    expect_password_box rest_colour "after Ctrl+V from a clipboard with $owner"
    click_password_box
    copy_from_window "$seen"
    took+=($((($(date +%s%N) - started) / 1000000)))
    xs_expect_same "the text after a paste from $owner" "$expected" "$seen"
    kill -KILL "$stopped" 2>/dev/null || true  # the picture's server has ended already
done
((took[1] - took[0] < 9000)) || xs_fail "expected a stopped owner to cost the paste less than 9 s more than a picture, took ${took[1]} ms against ${took[0]} ms"

# The clipboard's text comes in exactly, a NUL at its end included, through
# an incremental transfer as large texts are.
{ head -c 3000000 /dev/zero | tr '\0' 'a'; printf 'Hej\0'; } >"$xs_tmp/large"
paste_into_window "$xs_tmp/large"
copy_from_window "$seen"
xs_expect_same "the text pasted from a large clipboard ending in NUL" "$xs_tmp/large" "$seen"

# Lone CR, lone LF, CR LF, a tab and a NUL come in and go out exactly.
printf '1\r2\n3\r\n4\t5\0006\r\n' >"$xs_tmp/controls"
paste_into_window "$xs_tmp/controls"
copy_from_window "$seen"
xs_expect_same "the text pasted with lone CR, lone LF, CR LF, tab and NUL" "$xs_tmp/controls" "$seen"

# The clipboard keys and their alternates act on the text area whichever of
# the controls has the keyboard: with the text all selected (Alt+M or a
# click on "Markera Allt") and the keyboard left in the text area, moved to
# the password box or on the button, each copy key
# copies it, each cut key copies and removes it, each paste key puts the
# clipboard's text in its place.
printf 'Ett\r\nTvå\r\n' >"$xs_tmp/one" && printf 'Tre\tfyra\r\n' >"$xs_tmp/two"
focus_on() {
    case $1 in
        text) xs_key alt+m ;;
        password) xs_key alt+m && click_password_box ;;
        button) click_button "${mark_all[@]}" ;;  # selects all, and the button keeps the keyboard
    esac
}
for where in text password button; do
    for keys in ctrl+c ctrl+Insert ctrl+x shift+Delete; do
        paste_into_window "$xs_tmp/one"
        printf 'platshållare' >"$xs_tmp/placeholder"
        xs_clip_serve "$xs_tmp/placeholder"
        server=$xs_clip_pid
        focus_on "$where"
        xs_key "$keys"
        xs_wait_until xs_not_running "$server" || xs_fail "expected $keys (keyboard in the $where box) to take the clipboard"
        xs_clip_read "$seen" || true
        xs_expect_same "the clipboard after $keys, the keyboard in the $where box" "$xs_tmp/one" "$seen"
        copy_from_window "$seen"
        kept=$xs_tmp/one && [[ $keys == ctrl+[cI]* ]] || kept=/dev/null  # a cut leaves the text area empty
        xs_expect_same "the text area after $keys, the keyboard in the $where box" "$kept" "$seen"
    done
    for keys in ctrl+v shift+Insert; do
        paste_into_window "$xs_tmp/one"
        xs_clip_serve "$xs_tmp/two"
        focus_on "$where"
        xs_key "$keys"
        copy_from_window "$seen"
        xs_expect_same "the text after $keys, the keyboard in the $where box" "$xs_tmp/two" "$seen"
    done
done

# A text a mail path changed (every line end made CR LF, one more at its
# end), in and out through the buttons: the window offers the repaired
# reading; Ja (Enter) shows the mail sent, Nej (N) keeps the exact result.
printf '%s\r\n' 'Hej Karin!' '' 'Tack för senast, det var roligt att ses i lördags. Vi har bokat stugan' \
    'vid sjön från den 12 juli, och båten är lagad. Kan ni ta med fiskespön?' '' 'Hälsningar' 'Olle' >"$xs_tmp/mail"
"$crypt" --password-file <(echo Sommar2024) "$xs_tmp/mail" | perl -0777 -pe 's/\r\n|\r|\n/\r\n/g; $_ .= "\r\n"' >"$xs_tmp/damaged"
"$crypt" --password-file <(echo Sommar2024) -o "$xs_tmp/exact" "$xs_tmp/damaged"
! cmp -s "$xs_tmp/exact" "$xs_tmp/mail" || xs_fail "expected the exact decryption of the damaged text to differ from the mail"
for answer in Return:mail n:exact; do
    xs_clip_serve "$xs_tmp/damaged"
    click_button "${paste_button[@]}" "${mark_all[@]}"
    click_password_box
    xs_key ctrl+a  # the password before is typed over
    xs_type Sommar2024
    click_button "${crypt_button[@]}"
    answer_message_box Return  # the warning
    answer_message_box "${answer%:*}"
    xs_focus_window "$xs_wid"
    copy_from_window "$seen" --buttons
    xs_expect_same "the damaged text decrypted, the repair answered with ${answer%:*}" "$xs_tmp/${answer#*:}" "$seen"
done

# Info opens the file beside the program with the desktop's opener.
xs_install_recording_opener
xs_expect_info_opens "$(cd "$(dirname "$velmora")" && pwd -P)/Info.txt"

# With no editor to be had, Info shows the file in a window of its own.
printf '#!/bin/sh\necho "x-terminal-emulator: not found" >&2\nexit 3\n' >"$xs_tmp/bin/xdg-open"
chmod +x "$xs_tmp/bin/xdg-open"
xs_click_window 12 "$((xs_menu_height / 2))"
xs_wait_until xs_find_window "Information om Velmora" || xs_fail "expected Info to show Info.txt in a window of its own"
xs_focus_window "$(xs_window_named "Information om Velmora")"
xs_key Escape
xs_wait_until eval '! xs_find_window "Information om Velmora"' || xs_fail "expected Escape to close the Info window"

xs_window_picture "$xs_artifacts/end.png"
# Qt sends each key to the accessibility bus and keeps a copy until it is
# answered: a key that ends the program would leave that copy behind.
xs_expect_exit_by_click

# Closing the window the way the desktop offers ends the program as Exit does.
xs_start_app "$velmora"
xs_expect_exit_by_close

# A dark desktop theme changes the menu bar, not the window's own look (the
# text cursor may blink between the pictures).
pictures_under_theme light
pictures_under_theme dark QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
for picture in start password; do
    differing=$(compare -metric AE -fuzz 2% "$xs_artifacts/light-$picture.png" "$xs_artifacts/dark-$picture.png" \
        "$xs_artifacts/difference-$picture.png" 2>&1 || true)
    ((differing <= 40)) || xs_fail "expected the window ($picture) to look the same under a dark theme, $differing pixels differ (see difference-$picture.png)"
done
