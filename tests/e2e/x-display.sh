# An X display session for the program's window, sourced by the end-to-end tests, scripts/screenshot
# and scripts/window-timing after `name` is set: $tmp (kept if KEEP_TMP=1), $pids (ended on exit),
# fail (with the logs and on_fail's lines), wait_for, start_display, find_window, start_program,
# ended and close_program. Keys go to the focused window: sent with `key --window` to a window
# that closes on the press, the release would never come and the key stay down for the next one.

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
# Xvfb writes the display number it picked to descriptor 3 once it takes clients; -noreset keeps
# it from resetting, and dropping a connecting client, whenever its last client leaves.
start_display() {
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
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
# search at a time: xdotool drops a whole search when a window goes while it walks the tree.
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

# ended WHAT: the program must end within 10 s of WHAT with status 0.
exited() { ! kill -0 "$program_pid" 2>/dev/null; }
ended() {
    wait_for 10 exited || fail "the program did not exit within 10 s of $1"
    unset 'pids[-1]' # reaped here, not killed
    wait "$program_pid" || fail "exit status $? after $1; program output: $(cat program.log)"
}

# close_program: Escape in the activated window ends the program with status 0.
close_program() {
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    xdotool key Escape
    ended Escape
}
