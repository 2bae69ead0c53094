# Shared helpers for driving the real velmora window from outside: a private
# X server, the program started on it, keys and clicks through xdotool, the
# X clipboard through xclip, screenshots through ImageMagick. Sourced by the
# scripts in tests/e2e and tests/package; they call xs_begin first.
# Everything started here is ended by xs_cleanup on every exit.

XS_TIMEOUT=${XS_TIMEOUT:-15}  # seconds any single wait may take
XS_CAPTION='Mail   Kryptering / Dekryptering'
XS_CLIENT_HEIGHT=406
XS_PLATFORM=x11
xs_tmp= xs_artifacts= xs_xvfb_pid= xs_app_pid= xs_wid= xs_menu_height= xs_clip_pid=
xs_pids=()

# Ends the test with a message naming what was expected and what was seen.
xs_fail() {
    printf 'FAIL: %s\n' "$*" >&2
    [[ -z ${DISPLAY:-} || -z $xs_artifacts ]] || import -window root "$xs_artifacts/failure.png" >/dev/null 2>&1 || true
    exit 1
}

xs_require_tools() {
    local tool
    for tool in Xvfb xdotool xclip xprop import convert "$@"; do
        command -v "$tool" >/dev/null || xs_fail "tool missing: $tool (scripts/ensure-packages.sh installs it)"
    done
}

xs_cleanup() {
    local status=$? pid
    trap - EXIT INT TERM HUP ERR
    set +e
    for pid in "$xs_app_pid" "${xs_pids[@]}" "$xs_xvfb_pid"; do
        [[ -n $pid ]] && kill -TERM "$pid" 2>/dev/null && { timeout 2 tail --pid="$pid" -f /dev/null || kill -KILL "$pid"; }
        wait "$pid" 2>/dev/null || true
    done
    # A fault the program caught in itself (a sanitizer's report, a failed
    # assertion) need not change what the user sees, nor its exit status.
    local report=
    [[ -z $xs_tmp ]] || report=$(grep -E -A 30 'ERROR: (Address|Leak)Sanitizer|runtime error:|^ASSERT' "$xs_tmp/velmora.log" 2>/dev/null | head -n 60)
    [[ -z $xs_tmp ]] || { cp -f "$xs_tmp"/*.log "$xs_artifacts"/ 2>/dev/null; rm -rf -- "$xs_tmp"; }
    [[ -z $report ]] || { printf 'FAIL: the program reported a fault at run time:\n%s\n' "$report" >&2; status=1; }
    ((status != 0)) || echo OK >&2
    exit "$status"
}

# xs_begin ARTIFACT_DIR: private temporary folder and X server. The server
# picks a free display number itself (-displayfd), so parallel runs never collide.
xs_begin() { xs_begin_x_server "$1"; }
xs_begin_x_server() {
    xs_artifacts=$1
    rm -rf -- "$xs_artifacts"
    mkdir -p -- "$xs_artifacts"
    trap xs_cleanup EXIT
    set -o errtrace
    trap 'xs_fail "\"$BASH_COMMAND\" failed (line $LINENO of ${BASH_SOURCE[0]##*/})"' ERR
    trap 'xs_fail "interrupted"' INT TERM HUP
    xs_tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXXXX")
    mkdir -m 0700 -- "$xs_tmp/runtime" "$xs_tmp/home" "$xs_tmp/bin"
    export XDG_RUNTIME_DIR=$xs_tmp/runtime
    unset WAYLAND_DISPLAY XAUTHORITY
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$xs_tmp/display" >"$xs_tmp/xvfb.log" 2>&1 &
    xs_xvfb_pid=$!
    xs_wait_until grep -q '^[0-9][0-9]*$' "$xs_tmp/display" || xs_fail "expected Xvfb to start, saw: $(tail -n 5 "$xs_tmp/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$xs_tmp/display")"
}

# xs_wait_until COMMAND...: polls COMMAND until it succeeds or XS_TIMEOUT passes.
xs_wait_until() {
    local deadline=$((SECONDS + XS_TIMEOUT))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

xs_find_window() { [[ $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l) -eq 1 ]]; }
xs_not_running() { ! kill -0 "$1" 2>/dev/null; }

# xs_start_app PROGRAM [VARIABLE=VALUE...]: starts the window in a clean
# environment (plus the variables given) whose PATH begins with $xs_tmp/bin
# (stand-ins for desktop programs go there), waits until it is mapped and
# gives it the keyboard focus, as a window manager would.
xs_start_app() {
    local name passed=()   # a sanitized build's settings pass through
    for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do [[ -z ${!name:-} ]] || passed+=("$name=${!name}"); done
    env -i DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" HOME="$xs_tmp/home" PATH="$xs_tmp/bin:$PATH" \
        LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "${passed[@]}" "${@:2}" "$1" >>"$xs_tmp/velmora.log" 2>&1 &
    xs_app_pid=$!
    xs_wait_until xs_find_window "$XS_CAPTION" ||
        xs_fail "expected one visible window named \"$XS_CAPTION\", saw none: $(tail -n 5 "$xs_tmp/velmora.log")"
    xs_wid=$(xdotool search --onlyvisible --name "^${XS_CAPTION}\$")
    xs_focus_window "$xs_wid"
    xs_menu_height=$(($(xdotool getwindowgeometry --shell "$xs_wid" | sed -n 's/^HEIGHT=//p') - XS_CLIENT_HEIGHT))
}

xs_focus_window() { xdotool windowfocus --sync "$1" || xs_fail "expected window $1 to take the keyboard focus"; }

# Keys go to whichever window holds the X focus, as a user's keyboard does.
xs_key() { xdotool key --clearmodifiers --delay 20 "$@"; }
xs_type() { xdotool type --clearmodifiers --delay 20 -- "$1"; }
xs_click_window() { xdotool mousemove --window "$xs_wid" "$1" "$2" click "${3:-1}"; }  # X Y [BUTTON]
# xs_window_picture FILE: the main window (client area with menu bar).
xs_window_picture() { import -window "$xs_wid" "$1"; }
xs_caption() { xdotool getwindowname "$xs_wid"; }
# xs_app_id: the class of the window (WM_CLASS), which docks match with a
# desktop entry's StartupWMClass.
xs_app_id() { xprop -id "$xs_wid" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = ".*", "\(.*\)"$/\1/p'; }
# xs_window_named TITLE: the id of the one visible window so named.
xs_window_named() { local ids; ids=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) && [[ $(wc -l <<<"$ids") -eq 1 ]] && echo "$ids"; }

# xs_clip_read FILE [TARGET]: the clipboard's text as UTF-8 (or as TARGET),
# byte for byte, into FILE.
xs_clip_read() { timeout 5 xclip -o -selection clipboard -t "${2:-UTF8_STRING}" >"$1" 2>/dev/null; }
xs_clip_equals() { xs_clip_read "$xs_tmp/clip-now" "${2:-}" && cmp -s "$xs_tmp/clip-now" "$1"; }

# xs_clip_serve FILE [TARGET]: xclip owns the clipboard and serves FILE's
# bytes (as UTF8_STRING text unless TARGET says otherwise) until another
# program takes the clipboard over.
xs_clip_serve() {
    xclip -quiet -i -selection clipboard -t "${2:-UTF8_STRING}" <"$1" >/dev/null 2>&1 &
    xs_clip_pid=$!
    xs_pids+=("$xs_clip_pid")
    xs_wait_until xs_clip_equals "$1" "${2:-}" || xs_fail "expected xclip to offer $(xs_show "$1") on the clipboard"
}

# xs_show FILE: a short printable view of a file's bytes for messages.
xs_show() { printf '%s bytes [%s]' "$(wc -c <"$1")" "$(head -c 100 "$1" | od -An -c -w256 -v | tr -s ' ')"; }

xs_expect_same() { cmp -s "$2" "$3" || xs_fail "$1: expected $(xs_show "$2"), saw $(xs_show "$3")"; }

# xs_install_recording_opener: an xdg-open first on the program's PATH that
# records its arguments, one per line after their count, in $xs_tmp/xdg-open.args.
xs_install_recording_opener() {
    printf '#!/bin/sh\n{ echo "$#"; printf "%%s\\n" "$@"; } >"%s.part" && mv "%s.part" "%s"\n' \
        "$xs_tmp/xdg-open.args" "$xs_tmp/xdg-open.args" "$xs_tmp/xdg-open.args" >"$xs_tmp/bin/xdg-open"
    chmod +x "$xs_tmp/bin/xdg-open"
}

# xs_expect_info_opens PATH: a click on "Info", the first title of the menu
# bar, must run xdg-open with PATH, an existing file, as its one argument.
xs_expect_info_opens() {
    rm -f -- "$xs_tmp/xdg-open.args"
    xs_click_window 12 "$((xs_menu_height / 2))"
    xs_wait_until test -f "$xs_tmp/xdg-open.args" || xs_fail "expected a click on \"Info\" to run xdg-open"
    local seen
    seen=$(cat "$xs_tmp/xdg-open.args")
    [[ $seen == "1"$'\n'"$1" && -f $1 ]] || xs_fail "expected xdg-open to get the one argument $1 (a file), saw: $seen"
}

# xs_expect_exit_by_alt_e: Alt+E must end the program with status 0;
# xs_expect_exit_by_click: a click on "Exit" must.
xs_expect_exit_by_alt_e() { xs_expect_exit alt+e; }
xs_expect_exit_by_click() { xs_expect_exit 434 "$((383 + xs_menu_height))"; }
# xs_close_window: the window closed as a window manager closes it: openbox,
# started for this alone, takes the window over and sends it the request to
# close at Alt+F4, as at its title bar's close button; it ends with the
# window.
xs_close_window() {
    openbox --sm-disable >"$xs_tmp/openbox.log" 2>&1 &
    local wm=$!
    xs_pids+=("$wm")
    xs_wait_until eval 'xprop -id "$xs_wid" _NET_FRAME_EXTENTS 2>/dev/null | grep -q "="' ||
        xs_fail "expected openbox to take the window over: $(tail -n 5 "$xs_tmp/openbox.log")"
    xdotool windowactivate --sync "$xs_wid"
    xs_key alt+F4
    xs_wait_until xs_not_running "$xs_app_pid" || true
    kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null || true
}
# xs_expect_exit_by_close: closing the window (xs_close_window) must.
xs_expect_exit_by_close() { xs_expect_exit close; }
xs_expect_exit() {
    xs_focus_window "$xs_wid"
    if [[ $1 == close ]]; then xs_close_window; elif (($# == 1)); then xs_key "$1"; else xs_click_window "$1" "$2"; fi
    xs_wait_until xs_not_running "$xs_app_pid" || xs_fail "expected $* to end the program"
    local status=0
    wait "$xs_app_pid" || status=$?
    xs_app_pid=
    ((status == 0)) || xs_fail "expected the program to exit with 0 after $*, saw $status"
}
