# The same helpers as x_session.bash, for the real velmora window as a
# Wayland client: weston (its X11 backend) inside a private Xvfb, the
# program started on weston with QT_QPA_PLATFORM=wayland, keys and clicks
# through xdotool into weston's X window (weston turns them into its seat's
# Wayland input), the Wayland clipboard through wl-copy and wl-paste,
# screenshots of weston's window. Sourced instead of x_session.bash; every
# function the cases call keeps its name and meaning.
#
# What a Wayland window has not, and how it is made up for:
# - no X window id: weston logs its protocol (--logger-scopes=proto) and
#   weston_watch.py keeps from it each toplevel's title, app id, window
#   geometry and whether it holds the keyboard; a window's id here is
#   "CLIENT:TOPLEVEL".
# - no position known to clients: weston's desktop shell places a toplevel
#   at random. When the main window has appeared (the only window then) a
#   screenshot of weston's output is taken, and the bounding box of what is
#   not the background colour (set in weston.ini) is the window's surface;
#   its size is checked against the geometry the client declared. Qt draws
#   its own title bar around the client area (3 px at the sides and bottom,
#   30 px on top), so the client area starts 3 px right, 30 px below.
# - the keyboard: weston's input method (its on-screen keyboard) is
#   switched off ([input-method] path= empty: none is started), so keys
#   reach the window as plain wl_keyboard events, as with any keyboard.
# - wl-copy and wl-paste need the keyboard focus to reach the clipboard
#   (weston has no data-control protocol): each maps a 1x1 window, takes the
#   focus, and weston gives it back to nobody. After each of them the main
#   window is clicked on a spot that takes no focus (the grey background
#   left of the picture), as a user would click back into the window.
#   The window counts as having the keyboard once it has it and has
#   acknowledged a configure sent since (Qt takes the "activated" state from
#   that); when weston sends none (it happens a few times a run), the focus
#   is taken away by a wl-paste and the window clicked again (rig.log
#   records each time).
source "$(dirname "${BASH_SOURCE[0]}")/x_session.bash"

XS_PLATFORM=wayland
XS_BACKGROUND='srgb(32,64,96)'   # weston's background (weston.ini below)
XS_FRAME_SIDE=3 XS_FRAME_TOP=30   # Qt's own window decoration
XS_NEUTRAL_SPOT=(20 79)           # window pixels that take no keyboard focus
xs_weston_wid= xs_weston_pid= xs_watch_pid= xs_origin_x= xs_origin_y= xs_client=

xs_require_tools() {
    local tool
    for tool in Xvfb xdotool import convert weston wl-copy wl-paste /usr/bin/python3 "$@"; do
        command -v "$tool" >/dev/null || xs_fail "tool missing: $tool (scripts/ensure-packages.sh installs it)"
    done
    compgen -G '/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so' >/dev/null ||
        xs_fail "Qt's Wayland platform missing (package qt6-wayland; scripts/ensure-packages.sh installs it)"
}

# xs_begin ARTIFACT_DIR: private temporary folder, X server, and weston in it.
xs_begin() {
    xs_begin_x_server "$1"
    # No panel, no screen lock, a plain background, and no input method
    # (XS_WESTON_INPUT_METHOD=PROGRAM starts one, to compare).
    cat >"$xs_tmp/weston.ini" <<EOF
[core]
idle-time=0
[shell]
panel-position=none
locking=false
background-color=0xff204060
[input-method]
path=${XS_WESTON_INPUT_METHOD:-}
EOF
    weston --backend=x11-backend.so --use-pixman --socket=velmora-e2e --width=1024 --height=768 \
        --config="$xs_tmp/weston.ini" --log="$xs_tmp/weston.log" --logger-scopes=log,proto >"$xs_tmp/weston.out" 2>&1 &
    xs_weston_pid=$!
    xs_pids+=("$xs_weston_pid")
    xs_wait_until test -S "$XDG_RUNTIME_DIR/velmora-e2e" || xs_fail "expected weston to start: $(tail -n 5 "$xs_tmp/weston.log")"
    export WAYLAND_DISPLAY=velmora-e2e
    # Its name is not found by xdotool's --name; its class is "Weston Compositor".
    xs_wait_until eval 'xs_weston_wid=$(xdotool search --class "^Weston Compositor\$" 2>/dev/null | head -n 1); [[ -n $xs_weston_wid ]]' ||
        xs_fail "expected weston's X window (\"Weston Compositor - screen0\")"
    xdotool windowfocus --sync "$xs_weston_wid"  # the X keyboard goes to weston
}

# xs_sync: returns once the watcher has read all weston has logged so far.
xs_synced() { (($(cat "$xs_tmp/windows.pos" 2>/dev/null || echo 0) >= $1)); }
xs_sync() { xs_wait_until xs_synced "$(stat -c %s "$xs_tmp/weston.log")" || xs_fail "expected weston_watch.py to follow weston's log: $(tail -n 5 "$xs_tmp/watch.log")"; }

# xs_windows: weston's live toplevels of the program started last, one a
# line: ID FOCUS GEOMETRY APP_ID TITLE, tab-separated.
xs_windows() {
    [[ -n $xs_client && -f $xs_tmp/windows ]] || return 0
    awk -F '\t' -v c="$xs_client" '$1 == c { print $1 ":" $2 "\t" $4 "\t" $5 "\t" $6 "\t" $7 }' "$xs_tmp/windows"
}
# xs_window_named TITLE: the id of the one window so named (fails unless one).
xs_window_named() {
    local ids
    ids=$(xs_windows | awk -F '\t' -v t="$1" '$5 == t { print $1 }')
    [[ -n $ids && $(wc -l <<<"$ids") -eq 1 ]] && echo "$ids"
}
xs_find_window() { xs_window_named "$1" >/dev/null; }
xs_window_field() { xs_windows | awk -F '\t' -v id="$1" -v f="$2" '$1 == id { print $f }'; }
xs_caption() { xs_window_field "$xs_wid" 5; }
xs_app_id() { xs_window_field "$xs_wid" 4; }
xs_has_focus() { [[ $(xs_window_field "$1" 2) == 1 ]]; }

# xs_start_app PROGRAM [VARIABLE=VALUE...]: starts the window on weston in a
# clean environment (plus the variables given), waits until it is shown,
# finds where weston placed it and gives it the keyboard focus.
xs_start_app() {
    local name passed=()
    for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do [[ -z ${!name:-} ]] || passed+=("$name=${!name}"); done
    # Under LeakSanitizer the leaks of Qt's Wayland client are told apart by
    # whole stacks (the libraries have no frame pointers).
    [[ -z ${LSAN_OPTIONS:-} ]] || passed+=("ASAN_OPTIONS=${ASAN_OPTIONS:-}:fast_unwind_on_malloc=0"
        "LSAN_OPTIONS=$LSAN_OPTIONS:suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan-wayland.supp")
    # A fresh watcher reads weston's log from here on: windows of a program
    # that ran before are not this one's.
    [[ -z $xs_watch_pid ]] || { kill "$xs_watch_pid" 2>/dev/null; wait "$xs_watch_pid" 2>/dev/null || true; }
    rm -f -- "$xs_tmp/windows" "$xs_tmp/windows.pos"
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/weston_watch.py" "$xs_tmp/weston.log" "$(stat -c %s "$xs_tmp/weston.log")" \
        "$xs_tmp/windows" 2>>"$xs_tmp/watch.log" &
    xs_watch_pid=$!
    xs_pids+=("$xs_watch_pid")
    env -i WAYLAND_DISPLAY="$WAYLAND_DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" HOME="$xs_tmp/home" PATH="$xs_tmp/bin:$PATH" \
        LANG=C.UTF-8 QT_QPA_PLATFORM=wayland "${passed[@]}" "${@:2}" "$1" >>"$xs_tmp/velmora.log" 2>&1 &
    xs_app_pid=$!
    local found='xs_client=$(awk -F "\t" -v t="$XS_CAPTION" '"'"'$7 == t && $5 != "?" { print $1 }'"'"' "$xs_tmp/windows" 2>/dev/null | head -n 1); [[ -n $xs_client ]]'
    xs_wait_until eval "$found" ||
        xs_fail "expected weston to show a window named \"$XS_CAPTION\", saw none: $(tail -n 5 "$xs_tmp/velmora.log")"
    xs_wid=$(xs_window_named "$XS_CAPTION") || xs_fail "expected one window named \"$XS_CAPTION\", saw: $(xs_windows)"
    xs_locate_window
    xs_focus_window "$xs_wid"
}

# xs_locate_window: where the main window's client area lies in weston's
# output, from a screenshot (the window being the only one shown).
xs_locate_window() {
    local geometry surface_w surface_h box w h x y
    geometry=$(xs_window_field "$xs_wid" 3)
    IFS=x read -r surface_w surface_h <<<"$geometry"
    xs_menu_height=$((surface_h - XS_FRAME_TOP - XS_FRAME_SIDE - XS_CLIENT_HEIGHT))
    # The pointer's picture is parked at the top left corner, and that corner
    # left out of the box: weston draws the pointer there when it is not over
    # a window, wherever the pointer is.
    xdotool mousemove --window "$xs_weston_wid" 0 0
    local tries
    for tries in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.2
        import -window "$xs_weston_wid" "$xs_tmp/screen.png"
        box=$(convert "$xs_tmp/screen.png" -fill "$XS_BACKGROUND" -draw 'rectangle 0,0 24,32' -format '%@' info:)
        IFS='x+' read -r w h x y <<<"$box"
        # Only the right and bottom edges count (the corner left out may cut the box).
        xs_origin_x=$((x + w - surface_w + XS_FRAME_SIDE)) xs_origin_y=$((y + h - surface_h + XS_FRAME_TOP))
        ((surface_w - 2 * XS_FRAME_SIDE == 467 && xs_origin_x >= XS_FRAME_SIDE && xs_origin_y >= XS_FRAME_TOP)) &&
            { ((x <= 24 && y <= 32)) || ((w == surface_w && h == surface_h)); } && break
        xs_origin_x=
    done
    [[ -n $xs_origin_x ]] || xs_fail "expected the window's surface ($geometry) alone on weston's screen, saw a box $box (see screen.png)"
    cp "$xs_tmp/screen.png" "$xs_artifacts/placed.png"
    printf 'window %s placed with its client area at %s,%s (surface %s, menu bar %s px)\n' \
        "$xs_wid" "$xs_origin_x" "$xs_origin_y" "$geometry" "$xs_menu_height" >>"$xs_tmp/rig.log"
}

# xs_focus_window ID: the main window is given the keyboard by a click on a
# spot of it that takes no focus; another window (a message box, the Info
# window) must have got it from weston when it was shown.
# Weston now and then gives the keyboard back with no configure ("activated")
# after it, and Qt then takes the keys as for an inactive window (Alt+M types
# an "m"): the focus is then taken away (by wl-paste) and given back again.
xs_focus_window() {
    xs_sync
    if [[ $1 == "$xs_wid" ]]; then
        local try
        for try in 1 2 3; do
            xs_has_focus "$1" && return 0
            xdotool mousemove --window "$xs_weston_wid" "$((xs_origin_x + XS_NEUTRAL_SPOT[0]))" "$((xs_origin_y + XS_NEUTRAL_SPOT[1]))" click 1
            XS_TIMEOUT=1 xs_wait_until xs_has_focus "$1" && return 0
            # A busy window acknowledges late: that is waited for.
            [[ $(xs_window_field "$1" 2) != 2 ]] || { xs_wait_until xs_has_focus "$1" && return 0; }
            echo "focus: no activation after click $try: $(xs_windows | tr '\t\n' ' ;')" >>"$xs_tmp/rig.log"
            timeout 5 wl-paste -n -l >/dev/null 2>&1 || true
            xs_sync
        done
    fi
    xs_wait_until xs_has_focus "$1" || xs_fail "expected window $1 to take the keyboard focus, saw: $(xs_windows)"
}

# xs_click_window X Y [BUTTON]: a click at a point of the main window
# (its coordinates as on X11: the menu bar's top left is 0,0).
xs_click_window() {
    xdotool mousemove --window "$xs_weston_wid" "$((xs_origin_x + $1))" "$((xs_origin_y + $2))" click "${3:-1}"
}

# xs_close_window: the window closed the way this desktop offers: weston
# draws no title bars, Qt draws its own, and its close button (at the top
# right) closes the window as a compositor's close request does.
xs_close_window() {
    xs_focus_window "$xs_wid"
    xs_click_window $((467 + XS_FRAME_SIDE - 17)) $((15 - XS_FRAME_TOP))
}

# xs_window_picture FILE: the main window (client area with menu bar).
xs_window_picture() {
    import -window "$xs_weston_wid" "$xs_tmp/screen.png" &&
        convert "$xs_tmp/screen.png" -crop "467x$((XS_CLIENT_HEIGHT + xs_menu_height))+$xs_origin_x+$xs_origin_y" +repage "$1"
}

# The clipboard tools take the keyboard from the window: it gets it back.
xs_refocus() { [[ -z $xs_wid ]] || ! kill -0 "${xs_app_pid:-0}" 2>/dev/null || xs_focus_window "$xs_wid"; }

# xs_clip_read FILE [TYPE]: the clipboard's text as UTF-8 (or as TYPE).
xs_clip_read() {
    local status=0
    timeout "${xs_clip_wait:-5}" wl-paste -n -t "${2:-text/plain;charset=utf-8}" >"$1" 2>>"$xs_tmp/clip.log" || status=$?
    xs_refocus
    return "$status"
}
xs_clip_equals() { xs_clip_read "$xs_tmp/clip-now" "${2:-}" && cmp -s "$xs_tmp/clip-now" "$1"; }

# xs_clip_serve FILE [TYPE]: wl-copy owns the clipboard and serves FILE's
# bytes (as UTF-8 text unless TYPE says otherwise) until another program
# takes the clipboard over; $xs_clip_pid is its process.
xs_clip_serve() {
    wl-copy --foreground -t "${2:-text/plain;charset=utf-8}" <"$1" >/dev/null 2>>"$xs_tmp/clip.log" &
    xs_clip_pid=$!
    xs_pids+=("$xs_clip_pid")
    # Until wl-copy has the clipboard, a read may go to the owner before it,
    # which may be one that does not answer: each read waits 2 s at most.
    xs_clip_wait=2 xs_wait_until xs_clip_equals "$1" "${2:-}" || xs_fail "expected wl-copy to offer $(xs_show "$1") on the clipboard"
}
