# Shared helpers for driving the real velmora window from outside: a private
# X server, the program started on it, keys and clicks through xdotool, the
# X clipboard through xclip, screenshots through ImageMagick. Sourced by the
# scripts in tests/e2e and tests/package; they call xs_begin first.
#
# Everything started here is recorded and ended by xs_cleanup, which runs on
# every exit of the sourcing script (success, failure or signal).

# Seconds any single wait may take before the step counts as failed.
XS_TIMEOUT=${XS_TIMEOUT:-15}
XS_CAPTION='Mail   Kryptering / Dekryptering'
# The client area's size, fixed by the window's design.
# shellcheck disable=SC2034  # used by the scripts that source this file
XS_CLIENT_WIDTH=467
XS_CLIENT_HEIGHT=406

xs_tmp=
xs_artifacts=
xs_xvfb_pid=
xs_app_pid=
xs_wid=
xs_menu_height=
xs_clip_pids=()
xs_clip_count=0
xs_failed=0

xs_log() { printf '%s\n' "$*" >&2; }

# Ends the test with a message naming what was expected and what was seen.
xs_fail() {
    xs_failed=1
    xs_log "FAIL: $*"
    if [[ -n ${DISPLAY:-} && -n $xs_artifacts ]]; then
        import -window root "$xs_artifacts/failure.png" >/dev/null 2>&1 || true
        xs_log "    screen at the failure: $xs_artifacts/failure.png"
    fi
    exit 1
}

xs_step() { xs_log "-- $*"; }

xs_require_tools() {
    local tool missing=()
    for tool in Xvfb xdotool xclip import convert cmp od timeout "$@"; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    ((${#missing[@]} == 0)) || xs_fail "tools missing: ${missing[*]} (scripts/ensure-packages.sh installs them)"
}

# Stops a process started here: TERM, a short grace, then KILL; reaps it.
xs_stop_pid() {
    local pid=$1 i
    [[ -n $pid ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for ((i = 0; i < 40; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

xs_cleanup() {
    local status=$? pid
    trap - EXIT INT TERM HUP
    xs_stop_pid "$xs_app_pid"
    for pid in "${xs_clip_pids[@]}"; do xs_stop_pid "$pid"; done
    xs_stop_pid "$xs_xvfb_pid"
    # A fault the program caught in itself need not change what the user
    # sees, nor its exit status when it was stopped from here.
    local xs_sanitizer_report=
    if [[ -n $xs_tmp && -f $xs_tmp/velmora.log ]]; then
        xs_sanitizer_report=$(grep -E -A 30 'ERROR: (Address|Leak)Sanitizer|runtime error:|^ASSERT' "$xs_tmp/velmora.log" | head -n 60 || true)
    fi
    if [[ -n $xs_tmp && -d $xs_tmp ]]; then
        # Keep the program's and the server's output with the pictures.
        if [[ -n $xs_artifacts ]]; then
            cp -f "$xs_tmp"/*.log "$xs_artifacts"/ 2>/dev/null || true
        fi
        rm -rf -- "$xs_tmp"
    fi
    if [[ -n $xs_sanitizer_report ]]; then
        xs_log "FAIL: the program reported a fault at run time (sanitizer or assertion):"
        xs_log "$xs_sanitizer_report"
        status=1
    fi
    if ((status == 0 && xs_failed == 0)); then
        xs_log "OK"
    fi
    exit "$status"
}

# xs_begin ARTIFACT_DIR: private temporary folder, runtime folder and X
# server. The server picks a free display number itself (-displayfd) and
# writes it once it accepts connections, so parallel runs never collide.
xs_begin() {
    xs_artifacts=$1
    rm -rf -- "$xs_artifacts"
    mkdir -p -- "$xs_artifacts"
    trap xs_cleanup EXIT
    # A command that fails outside a check still says where it failed.
    set -o errtrace
    trap 'xs_failed=1; xs_log "FAIL: \"$BASH_COMMAND\" failed (line $LINENO of ${BASH_SOURCE[0]##*/})"' ERR
    trap 'xs_failed=1; xs_log "FAIL: interrupted (SIGINT)"; exit 130' INT
    trap 'xs_failed=1; xs_log "FAIL: stopped (SIGTERM)"; exit 143' TERM
    trap 'xs_failed=1; xs_log "FAIL: hung up (SIGHUP)"; exit 129' HUP

    xs_tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXXXX")
    mkdir -m 0700 -- "$xs_tmp/runtime" "$xs_tmp/home" "$xs_tmp/bin"
    export XDG_RUNTIME_DIR=$xs_tmp/runtime
    unset WAYLAND_DISPLAY XAUTHORITY

    : >"$xs_tmp/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$xs_tmp/display" >"$xs_tmp/xvfb.log" 2>&1 &
    xs_xvfb_pid=$!
    local deadline=$((SECONDS + XS_TIMEOUT))
    until grep -q '^[0-9][0-9]*$' "$xs_tmp/display" 2>/dev/null; do
        kill -0 "$xs_xvfb_pid" 2>/dev/null ||
            xs_fail "expected Xvfb to start, saw it exit: $(tail -n 5 "$xs_tmp/xvfb.log")"
        ((SECONDS < deadline)) || xs_fail "expected Xvfb to report its display number within ${XS_TIMEOUT} s, saw nothing"
        sleep 0.05
    done
    DISPLAY=":$(head -n 1 "$xs_tmp/display")"
    export DISPLAY
    xs_log "X server $DISPLAY (pid $xs_xvfb_pid), temporary folder $xs_tmp"
}

# xs_wait_until DESCRIPTION COMMAND...: polls COMMAND until it succeeds or
# XS_TIMEOUT passes. Returns non-zero on timeout (callers report the detail).
xs_wait_until() {
    local deadline=$((SECONDS + XS_TIMEOUT))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

xs_app_running() { [[ -n $xs_app_pid ]] && kill -0 "$xs_app_pid" 2>/dev/null; }

# xs_start_app PROGRAM: starts the window in a clean environment whose PATH
# begins with $xs_tmp/bin (stand-ins for desktop programs go there), waits
# until it is mapped and gives it the keyboard focus; a window manager
# would do that, and without one keys sent to an inactive window are lost.
xs_start_app() {
    local program=$1
    # The sanitizers' settings of a sanitized build pass through.
    local name passed=()
    for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
        [[ -z ${!name:-} ]] || passed+=("$name=${!name}")
    done
    env -i \
        DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" HOME="$xs_tmp/home" \
        PATH="$xs_tmp/bin:${PATH:-/usr/bin:/bin}" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "${passed[@]}" \
        "$program" >"$xs_tmp/velmora.log" 2>&1 &
    xs_app_pid=$!

    local deadline=$((SECONDS + XS_TIMEOUT)) found=
    while :; do
        found=$(xdotool search --onlyvisible --name "^${XS_CAPTION}\$" 2>/dev/null || true)
        [[ -n $found ]] && break
        xs_app_running || xs_fail "expected the window to appear, saw the program exit: $(tail -n 5 "$xs_tmp/velmora.log")"
        ((SECONDS < deadline)) || xs_fail "expected a visible window named \"$XS_CAPTION\" within ${XS_TIMEOUT} s, saw none"
        sleep 0.05
    done
    [[ $(wc -l <<<"$found") -eq 1 ]] || xs_fail "expected one window named \"$XS_CAPTION\", saw several: $found"
    xs_wid=$found
    xs_focus_window "$xs_wid"

    local height
    height=$(xs_window_height "$xs_wid")
    xs_menu_height=$((height - XS_CLIENT_HEIGHT))
}

xs_focus_window() {
    xdotool windowfocus --sync "$1" || xs_fail "expected window $1 to take the keyboard focus, it did not"
}

# xs_window_geometry WID: "width height" of the window, frame included.
xs_window_geometry() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '$1 == "WIDTH" { w = $2 } $1 == "HEIGHT" { h = $2 } END { print w, h }'
}

xs_window_height() {
    local size
    size=$(xs_window_geometry "$1")
    printf '%s\n' "${size#* }"
}

# Keys go to whichever window holds the X focus, which is the way a user's
# keyboard works (xdotool's --window would send events Qt ignores).
xs_key() { xdotool key --clearmodifiers --delay 20 "$@"; }
xs_type() { xdotool type --clearmodifiers --delay 20 -- "$1"; }

# xs_click_client X Y: a left click at client-area coordinates of the window.
xs_click_client() {
    xdotool mousemove --window "$xs_wid" "$1" "$(($2 + xs_menu_height))" click 1
}

# xs_click_window X Y: a left click at coordinates of the whole window,
# menu bar included.
xs_click_window() {
    xdotool mousemove --window "$xs_wid" "$1" "$2" click 1
}

# xs_screenshot NAME: the window as it looks now, kept as NAME.png.
xs_screenshot() {
    import -window "$xs_wid" "$xs_artifacts/$1.png" 2>"$xs_tmp/import.log" ||
        xs_fail "expected a screenshot of the window ($1.png), import said: $(cat "$xs_tmp/import.log")"
}

# xs_patch_stats FILE GEOMETRY: "min max mean" of the red, green and blue
# levels (0-255) over a rectangle WxH+X+Y of a picture.
xs_patch_stats() {
    convert "$1" -crop "$2" +repage -format \
        '%[fx:round(255*minima)] %[fx:round(255*maxima)] %[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]\n' \
        info:
}

# xs_pixel_near FILE X Y R G B TOLERANCE: whether a pixel is within
# TOLERANCE of a colour in every channel.
xs_pixel_near() {
    local file=$1 x=$2 y=$3 r=$4 g=$5 b=$6 tol=$7 rgb
    rgb=$(convert "$file" -format "%[fx:round(255*p{$x,$y}.r)] %[fx:round(255*p{$x,$y}.g)] %[fx:round(255*p{$x,$y}.b)]" info:) || return 1
    read -r pr pg pb <<<"$rgb"
    ((pr >= r - tol && pr <= r + tol && pg >= g - tol && pg <= g + tol && pb >= b - tol && pb <= b + tol))
}

xs_pixel_text() {
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

# --- The X clipboard -------------------------------------------------------

# xs_clip_read FILE: the clipboard's text as UTF-8, byte for byte, into FILE.
xs_clip_read() {
    timeout 5 xclip -o -selection clipboard -t UTF8_STRING >"$1" 2>/dev/null
}

xs_clip_equals() {
    xs_clip_read "$xs_tmp/clip-now" && cmp -s "$xs_tmp/clip-now" "$1"
}

# xs_clip_serve FILE: xclip owns the clipboard and serves FILE's bytes until
# another program takes the clipboard over; returns once the text can be
# read back. Sets xs_clip_pid to the serving process.
xs_clip_serve() {
    local file=$1
    xs_clip_count=$((xs_clip_count + 1))
    xclip -quiet -i -selection clipboard -t UTF8_STRING <"$file" \
        >"$xs_tmp/xclip-$xs_clip_count.log" 2>&1 &
    xs_clip_pid=$!
    xs_clip_pids+=("$xs_clip_pid")
    xs_wait_until "clipboard" xs_clip_equals "$file" ||
        xs_fail "expected xclip to offer $(xs_show "$file") on the clipboard, read $(xs_show "$xs_tmp/clip-now")"
}

# xs_copy_from_window OUT: selects all of the text area with Alt+M, copies it
# with Ctrl+C and reads the clipboard into OUT. A placeholder text is put on
# the clipboard first; the copy is complete when its server has lost the
# clipboard and the new text can be read.
xs_copy_from_window() {
    local out=$1 placeholder="$xs_tmp/placeholder"
    printf 'placeholder %s' "$xs_clip_count" >"$placeholder"
    xs_clip_serve "$placeholder"
    local server=$xs_clip_pid
    xs_key alt+m ctrl+c
    xs_wait_until "copy" xs_not_running "$server" ||
        xs_fail "expected Alt+M, Ctrl+C to take the clipboard over from xclip within ${XS_TIMEOUT} s, xclip still owns it"
    xs_wait_until "read" xs_clip_read "$out" ||
        xs_fail "expected the clipboard to be readable after Ctrl+C, it was not within ${XS_TIMEOUT} s"
}

xs_not_running() { ! kill -0 "$1" 2>/dev/null; }

# xs_show FILE: a short printable view of a file's bytes for messages.
xs_show() {
    local size
    size=$(wc -c <"$1" 2>/dev/null || echo 0)
    printf '%s bytes [%s]' "$size" "$(od -An -c -w256 -v "$1" 2>/dev/null | head -c 400 | tr -s ' ')"
}

# xs_expect_same WHAT EXPECTED_FILE SEEN_FILE
xs_expect_same() {
    cmp -s "$2" "$3" || xs_fail "$1: expected $(xs_show "$2"), saw $(xs_show "$3")"
}

# --- The Info menu -----------------------------------------------------------

# xs_install_recording_opener: an xdg-open first on the program's PATH that
# records its arguments (the count on the first line, then each argument
# followed by a NUL) in $xs_tmp/xdg-open.args.
xs_install_recording_opener() {
    local record="$xs_tmp/xdg-open.args"
    cat >"$xs_tmp/bin/xdg-open" <<EOF
#!/bin/sh
{ printf '%s\\n' "\$#"; for a in "\$@"; do printf '%s\\0' "\$a"; done; } >"$record.part"
mv "$record.part" "$record"
EOF
    chmod +x "$xs_tmp/bin/xdg-open"
}

# xs_expect_info_opens PATH: a click on "Info", the first title of the menu
# bar at its left end, must run xdg-open with PATH as its one argument.
xs_expect_info_opens() {
    local expected=$1 record="$xs_tmp/xdg-open.args"
    rm -f -- "$record"
    xs_click_window 12 "$((xs_menu_height / 2))"
    xs_wait_until "xdg-open" test -f "$record" ||
        xs_fail "expected a click on \"Info\" to run xdg-open within ${XS_TIMEOUT} s, it was not run"

    local count argument
    count=$(head -n 1 "$record")
    ((count == 1)) ||
        xs_fail "expected xdg-open to get exactly one argument, it got $count: $(tail -n +2 "$record" | tr '\0' '|')"
    argument=$(tail -n +2 "$record" | tr -d '\0')
    [[ $argument == "$expected" ]] || xs_fail "expected xdg-open's argument \"$expected\", saw \"$argument\""
    [[ -f $argument ]] || xs_fail "expected the information file at $argument, there is none"
}
