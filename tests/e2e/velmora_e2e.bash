#!/usr/bin/env bash
# End-to-end runs of the real velmora window on a private X server, driven
# only from outside as a user would: keys and clicks through xdotool, the X
# clipboard through xclip. Results are compared with velmora-crypt and with
# the published known answer.
#
# Usage: velmora_e2e.bash SCENARIO VELMORA VELMORA_CRYPT ARTIFACT_ROOT
# Scenarios: window round_trip known_answer warning_cancel info_menu exit.
# Screenshots and logs of each run are kept in ARTIFACT_ROOT/SCENARIO/.
set -euo pipefail

scenario=${1:?scenario}
velmora=${2:?velmora program}
crypt=${3:?velmora-crypt program}
artifact_root=${4:?artifact folder}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=x_session.bash
source "$here/x_session.bash"

[[ -x $velmora ]] || { echo "not a program: $velmora" >&2; exit 1; }
[[ -x $crypt ]] || { echo "not a program: $crypt" >&2; exit 1; }

# Client-area places of the window's parts (pixels).
password_box_click=(60 386)        # inside the password box
password_box_sample=(110 378)      # box background, right of any '*'
status_line=(104 14 271 23)        # the status label: x y width height
# Background spots no control covers: the top left beside the small
# picture and above the status label, and the right edge below the column of
# spheres, beside Exit.
background_top_left=(60 12 40 0)     # width height x y
background_bottom_right=(6 40 461 340)

focus_colour=(166 202 240)  # the password box while it has the focus
rest_colour=(255 255 224)   # ... and otherwise

# --- Steps a user takes ------------------------------------------------------

# password_box_looks focused|rest: whether a fresh screenshot shows the
# password box in its focus colour, or in its colour at rest.
password_box_looks() {
    local want=$1 shot="$xs_tmp/probe.png" x y
    x=${password_box_sample[0]}
    y=$((password_box_sample[1] + xs_menu_height))
    import -window "$xs_wid" "$shot" 2>/dev/null || return 1
    if [[ $want == focused ]]; then
        xs_pixel_near "$shot" "$x" "$y" "${focus_colour[@]}" 6
    else
        xs_pixel_near "$shot" "$x" "$y" "${rest_colour[@]}" 6
    fi
}

expect_password_box() {
    local want=$1 why=$2
    xs_wait_until "password box" password_box_looks "$want" || {
        local seen
        seen=$(xs_pixel_text "$xs_tmp/probe.png" "${password_box_sample[0]}" \
            "$((password_box_sample[1] + xs_menu_height))")
        xs_fail "$why: expected the password box to look $want (focus colour rgb(${focus_colour[*]}), rest colour rgb(${rest_colour[*]})), saw $seen"
    }
}

click_password_box() {
    xs_click_client "${password_box_click[@]}"
    expect_password_box focused "after a click on the password box"
}

# paste_in_password_box FILE: puts FILE on the clipboard with xclip and
# types Ctrl+V while the password box has the focus (which must already be
# so); the focus then moves to the text area.
paste_in_password_box() {
    xs_clip_serve "$1"
    expect_password_box focused "before Ctrl+V"
    xs_key ctrl+v
    expect_password_box rest "after Ctrl+V in the password box (the focus moves to the text area)"
}

message_box_ids() { xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null || true; }
message_box_shown() { [[ -n $(message_box_ids) ]]; }
message_box_gone() { [[ -z $(message_box_ids) ]]; }

# answer_warning KEY [SCREENSHOT]: waits for the program's message box,
# answers it with KEY and gives the keyboard back to the main window.
answer_warning() {
    local key=$1 shot=${2:-} box
    xs_wait_until "message box" message_box_shown ||
        xs_fail "expected the warning message box (caption \"Velmora\") within ${XS_TIMEOUT} s, saw none"
    box=$(message_box_ids)
    [[ $(wc -l <<<"$box") -eq 1 ]] || xs_fail "expected one message box, saw several: $box"
    xs_focus_window "$box"
    if [[ -n $shot ]]; then
        import -window root -crop "$((XS_CLIENT_WIDTH))x$((XS_CLIENT_HEIGHT + xs_menu_height))+0+0" \
            "$xs_artifacts/$shot.png" 2>/dev/null || true
    fi
    xs_key "$key"
    xs_wait_until "message box closed" message_box_gone ||
        xs_fail "expected $key to close the message box, it is still shown"
    # Without a window manager nobody hands the focus back; a user would
    # click the window.
    xs_focus_window "$xs_wid"
}

# crypt_in_window PASSWORD ANSWER_KEY [SCREENSHOT]: Alt+M, the password typed
# into the box, Enter, the warning answered.
crypt_in_window() {
    xs_key alt+m
    click_password_box
    xs_key ctrl+a BackSpace
    xs_type "$1"
    xs_key Return
    answer_warning "$2" "${3:-}"
}

# cli_crypt PASSWORD IN OUT: the same operation through velmora-crypt.
cli_crypt() {
    printf '%s\n' "$1" >"$xs_tmp/password"
    "$crypt" --password-file "$xs_tmp/password" -o "$3" "$2" ||
        xs_fail "expected velmora-crypt to succeed on $(xs_show "$2"), it exited with $?"
}

# navy_pixels FILE: how many pixels of the status line are its navy text.
navy_pixels() {
    local x=${status_line[0]} y=$((status_line[1] + xs_menu_height)) w=${status_line[2]} h=${status_line[3]}
    convert "$1" -crop "${w}x${h}+${x}+${y}" +repage -alpha off -fuzz 20% \
        -fill black -opaque 'rgb(0,0,128)' -fill white +opaque black \
        -format '%[fx:round(w*h*(1-mean))]' info:
}

# finish: the picture after the run, then Alt+E must end the program.
finish() {
    xs_screenshot end
    expect_exit_by_alt_e
}

expect_exit_by_alt_e() {
    xs_key alt+e
    xs_wait_until "exit" xs_not_running "$xs_app_pid" ||
        xs_fail "expected Alt+E to end the program within ${XS_TIMEOUT} s, it is still running"
    local status=0
    wait "$xs_app_pid" || status=$?
    xs_app_pid=
    ((status == 0)) || xs_fail "expected the program to exit with 0 after Alt+E, saw $status"
    [[ -z $(xdotool search --onlyvisible --name "^${XS_CAPTION}\$" 2>/dev/null || true) ]] ||
        xs_fail "expected the window to be gone after Alt+E, it is still shown"
}

# --- Scenarios ---------------------------------------------------------------

background_painted() {
    xs_screenshot start
    local stats mr
    stats=$(xs_patch_stats "$xs_artifacts/start.png" \
        "${background_top_left[0]}x${background_top_left[1]}+${background_top_left[2]}+$((background_top_left[3] + xs_menu_height))")
    read -r _ _ mr _ _ <<<"$stats"
    ((mr >= 240))
}

# start_app: the program started, its window focused and painted; the
# picture at start is kept as start.png.
start_app() {
    xs_start_app "$velmora"
    # The first paint may follow the mapping by a moment.
    xs_wait_until "painted" background_painted ||
        xs_fail "expected the window's background painted (see start.png) within ${XS_TIMEOUT} s"
}

scenario_window() {
    xs_step "the window: caption, size, background, first focus"
    xs_start_app "$velmora"

    local name
    name=$(xdotool getwindowname "$xs_wid")
    [[ $name == "$XS_CAPTION" ]] || xs_fail "expected the caption \"$XS_CAPTION\", saw \"$name\""

    local width height
    read -r width height < <(xs_window_geometry "$xs_wid")
    ((width == XS_CLIENT_WIDTH)) || xs_fail "expected the window $XS_CLIENT_WIDTH px wide, saw $width"
    ((xs_menu_height >= 15 && xs_menu_height <= 40)) ||
        xs_fail "expected a menu bar 15-40 px high above the $XS_CLIENT_HEIGHT px client area, the window is $height px high (menu bar $xs_menu_height px)"

    # The first paint may follow the mapping by a moment.
    xs_wait_until "painted" background_painted || true
    local size
    size=$(identify -format '%wx%h' "$xs_artifacts/start.png")
    [[ $size == "${width}x${height}" ]] || xs_fail "expected a ${width}x${height} screenshot, saw $size"

    # The client area starts right under the menu bar: its first row is the
    # background's white corner, the row above it belongs to the menu bar.
    local corner above
    corner=$(xs_pixel_text "$xs_artifacts/start.png" 2 "$xs_menu_height")
    above=$(xs_pixel_text "$xs_artifacts/start.png" 2 "$((xs_menu_height - 1))")
    if ! xs_pixel_near "$xs_artifacts/start.png" 2 "$xs_menu_height" 255 255 255 4 ||
        xs_pixel_near "$xs_artifacts/start.png" 2 "$((xs_menu_height - 1))" 255 255 255 4; then
        xs_fail "expected the white client corner at y $xs_menu_height and the menu bar above it, saw $corner at y $xs_menu_height and $above above"
    fi

    local min max r g b
    read -r min max r g b < <(xs_patch_stats "$xs_artifacts/start.png" \
        "${background_top_left[0]}x${background_top_left[1]}+${background_top_left[2]}+$((background_top_left[3] + xs_menu_height))")
    ((r >= 240 && min >= 230 && r == g && g == b)) ||
        xs_fail "expected a white-ish grey background at the top left (mean >= 240, min >= 230, neutral), saw min $min max $max mean rgb($r,$g,$b)"
    local top=$r
    read -r min max r g b < <(xs_patch_stats "$xs_artifacts/start.png" \
        "${background_bottom_right[0]}x${background_bottom_right[1]}+${background_bottom_right[2]}+$((background_bottom_right[3] + xs_menu_height))")
    ((r >= 180 && r <= 210 && max <= 215 && r == g && g == b)) ||
        xs_fail "expected a grey background near 192 at the bottom right (mean 180-210, neutral), saw min $min max $max mean rgb($r,$g,$b)"
    ((top - r >= 40)) || xs_fail "expected the background to shade from light to dark, saw top left $top and bottom right $r"

    local navy
    navy=$(navy_pixels "$xs_artifacts/start.png")
    ((navy == 0)) || xs_fail "expected an empty status line at start, saw $navy pixels of navy text in it"

    # The focus starts on Exit, and Tab goes on to the password box.
    expect_password_box rest "at start (the focus is on Exit)"
    xs_key Tab
    expect_password_box focused "after Tab from Exit"
    xs_key shift+Tab
    expect_password_box rest "after Shift+Tab back to Exit"

    finish
}

# A letter in the Swedish way, with the characters of the code page that
# differ from ASCII, tabs, CRLF and a lone LF, and a line end at the end.
write_mail_text() {
    printf 'Hej Åsa!\r\n\r\nPriset är 12 €\tinkl. moms, «fri frakt».\nÖl, äpplen\toch\tålkött – 3 st.\r\n\tMvh Örjan\r\n' >"$1"
}

scenario_round_trip() {
    xs_step "paste, encrypt, decrypt: the window against velmora-crypt"
    start_app
    local password='Kanel Bulle#42'
    local text="$xs_tmp/text" pasted="$xs_tmp/pasted" cipher="$xs_tmp/cipher" cli_cipher="$xs_tmp/cli-cipher"
    local back="$xs_tmp/back" cli_back="$xs_tmp/cli-back"
    write_mail_text "$text"

    xs_key Tab
    paste_in_password_box "$text"
    xs_copy_from_window "$pasted"
    xs_expect_same "the text area after Ctrl+V in the password box (copied back with Alt+M, Ctrl+C)" "$text" "$pasted"

    crypt_in_window "$password" Return
    xs_copy_from_window "$cipher"
    cli_crypt "$password" "$text" "$cli_cipher"
    xs_expect_same "the window's encryption equal to velmora-crypt's" "$cli_cipher" "$cipher"
    ! cmp -s "$cipher" "$text" || xs_fail "expected the encrypted text to differ from the plain text, it is the same"

    # The receiver's side: the encrypted text comes in through the clipboard.
    click_password_box
    paste_in_password_box "$cipher"
    crypt_in_window "$password" Return
    xs_copy_from_window "$back"
    xs_expect_same "the decrypted text equal to the original" "$text" "$back"

    cli_crypt "$password" "$cli_cipher" "$cli_back"
    xs_expect_same "velmora-crypt's decryption equal to the original" "$text" "$cli_back"

    finish
}

scenario_known_answer() {
    xs_step "the published known answers through the window"
    start_app

    local text="$xs_tmp/hej" expected="$xs_tmp/hej-expected" seen="$xs_tmp/hej-seen" cli="$xs_tmp/hej-cli"
    printf 'Hej d\xc3\xa5!\r\n' >"$text"
    # Windows-1252 42 27 2C CE 17 3A A5 7B EE, written as UTF-8.
    printf "B',\\xc3\\x8e\\x17:\\xc2\\xa5{\\xc3\\xae" >"$expected"

    cli_crypt Hemligt7 "$text" "$cli"
    xs_expect_same "velmora-crypt on \"Hej då!\\r\\n\" with Hemligt7" "$expected" "$cli"

    xs_key Tab
    paste_in_password_box "$text"
    crypt_in_window Hemligt7 Return warning
    xs_screenshot after
    xs_copy_from_window "$seen"
    xs_expect_same "the window on \"Hej då!\\r\\n\" with Hemligt7" "$expected" "$seen"

    local navy
    navy=$(navy_pixels "$xs_artifacts/after.png")
    ((navy >= 40)) || xs_fail "expected the status line to show its navy \"Klar\" text after the run, saw $navy navy pixels"

    # "A" becomes "K" whatever the password.
    printf 'A' >"$text"
    printf 'K' >"$expected"
    local password
    for password in z 'Ett mycket langt losenord, 2 ord'; do
        cli_crypt "$password" "$text" "$cli"
        xs_expect_same "velmora-crypt on \"A\" with \"$password\"" "$expected" "$cli"
        click_password_box
        paste_in_password_box "$text"
        crypt_in_window "$password" Return
        xs_copy_from_window "$seen"
        xs_expect_same "the window on \"A\" with \"$password\"" "$expected" "$seen"
    done

    finish
}

scenario_warning_cancel() {
    xs_step "the warning answered with Escape (Avbryt) changes nothing"
    start_app
    local text="$xs_tmp/text" seen="$xs_tmp/seen"
    write_mail_text "$text"

    xs_key Tab
    paste_in_password_box "$text"
    crypt_in_window Hemligt7 Escape
    xs_screenshot after
    xs_copy_from_window "$seen"
    xs_expect_same "the text area after the warning was cancelled" "$text" "$seen"
    local navy
    navy=$(navy_pixels "$xs_artifacts/after.png")
    ((navy == 0)) || xs_fail "expected an empty status line after a cancelled run, saw $navy navy pixels"

    finish
}

scenario_info_menu() {
    xs_step "the Info menu opens the file beside the program"
    xs_install_recording_opener
    start_app
    xs_expect_info_opens "$(cd "$(dirname "$velmora")" && pwd -P)/Info.txt"

    xs_focus_window "$xs_wid"
    finish
}

scenario_exit() {
    xs_step "Alt+E ends the program"
    start_app
    expect_exit_by_alt_e
}

xs_require_tools identify
xs_begin "$artifact_root/$scenario"
case $scenario in
    window | round_trip | known_answer | warning_cancel | info_menu | exit) "scenario_$scenario" ;;
    *) xs_fail "unknown scenario: $scenario" ;;
esac
