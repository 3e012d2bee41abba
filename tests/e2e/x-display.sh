# An X display session for the program's window: Xvfb, openbox if asked, the program started on it
# and closed again. Sourced by the end-to-end tests, scripts/screenshot and scripts/window-timing
# after `name` is set (it starts every failure message and names the temporary folder).
# Gives $tmp, removed on exit (KEEP_TMP=1 keeps it), $pids, ended by their ids on any exit, fail
# (with the logs and an on_fail function's lines), wait_for, start_display, find_window,
# start_program and close_program. Keys go through `xdotool key` to the focused window, never
# `key --window` to a window that closes on the press: its release would then never arrive and the
# X server would keep the key held down for the next program.

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-$name.XXXXXX")
pids=()

cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    [ -n "${KEEP_TMP:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "$name: FAIL: $*" >&2
    if declare -F on_fail >/dev/null; then on_fail >&2 || true; fi
    tail -n 20 "$tmp"/*.log >&2 2>/dev/null || true
    exit 1
}

# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds; non-zero when SECONDS pass first.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# A sanitized build reports leaks at exit; those of system libraries are not the program's.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp"

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# start_display SCREEN [wm]: Xvfb with a screen such as 1024x768x24 as DISPLAY; "wm" adds openbox.
start_display() {
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    # Xvfb writes the free display number it picked to descriptor 3 once it accepts clients; the
    # number of an earlier display of this script is not read meanwhile. Without -noreset the
    # server resets whenever its last client leaves (with no window manager, between two
    # programs) and drops a client that connects during the reset.
    rm -f "$tmp/display"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    pids+=($!)
    wait_for 20 test -s "$tmp/display" || fail "Xvfb did not start within 20 s"
    DISPLAY=":$(head -n 1 "$tmp/display")" && export DISPLAY
    if [ "${2:-}" = wm ]; then
        openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
        pids+=($!)
        wait_for 20 wm_running || fail "openbox did not take the screen $DISPLAY within 20 s"
    fi
}

# find_window: sets $window to the program's visible window; non-zero while there is none. One
# search at a time: xdotool gives up on the whole search when a window goes away while it walks
# the tree (openbox makes and drops a frame when a program asks it for one beforehand).
find_window() {
    window=$(xdotool search --onlyvisible --name '^Mirrak Generator$' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

# start_program COMMAND...: runs it in the background (output to program.log) and sets $window.
start_program() {
    "$@" >>program.log 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 20 find_window || fail "the window \"Mirrak Generator\" did not appear within 20 s"
}

# close_program: Escape in the window; the program must end with status 0 within 10 s.
close_program() {
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    xdotool key Escape
    exited() { ! kill -0 "$program_pid"; }
    wait_for 10 exited || fail "the program did not exit within 10 s of Escape"
    unset 'pids[-1]' # reaped here, not killed
    wait "$program_pid" || fail "exit status $?; program output: $(cat program.log)"
}
