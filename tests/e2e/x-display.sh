# An X display session, sourced after `name` is set by the end-to-end tests, scripts/screenshot and
# scripts/window-timing: $tmp (kept if KEEP_TMP=1), $pids (ended on exit), fail (with the logs and
# on_fail's lines), $dead (an unserved X display), wait_for, start_display, find_window,
# start_program, ended, close_program.

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-$name.XXXXXX")
pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    [ -n "${KEEP_TMP:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
dead=77 # an X display that nobody serves
while [ -e "/tmp/.X11-unix/X$dead" ]; do dead=$((dead + 1)); done
# A sanitized build reports leaks at exit; those of system libraries are not the program's.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp"

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

# start_display SCREEN [wm]: Xvfb with a screen such as 1024x768x24 as DISPLAY; "wm" adds openbox.
# -noreset: Xvfb would otherwise reset, dropping a connecting client, whenever its last one left.
start_display() {
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    rm -f "$tmp/display"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    pids+=($!)
    wait_for 20 test -s "$tmp/display" || fail "Xvfb did not start within 20 s"
    DISPLAY=":$(head -n 1 "$tmp/display")" && export DISPLAY
    [ "${2:-}" = wm ] || return 0
    openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
    pids+=($!)
    wait_for 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        fail "openbox did not take the screen $DISPLAY within 20 s"
}

# find_window: sets $window to the program's visible window; non-zero while there is none.
find_window() {
    window=$(xdotool search --onlyvisible --name '^Mirrak Generator$' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

# start_program COMMAND...: runs it in the background (output to program.log) and sets $window
# as soon as the window maps.
start_program() {
    local deadline=$((SECONDS + 20))
    "$@" >>program.log 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    until find_window; do ((SECONDS < deadline)) || fail "the window did not appear within 20 s"; done
}

# ended WHAT: the program must end within 10 s of WHAT with status 0.
ended() {
    wait_for 10 eval '! kill -0 "$program_pid"' || fail "the program did not exit within 10 s of $1"
    unset 'pids[-1]' # reaped here, not killed
    wait "$program_pid" || fail "exit status $? after $1; program output: $(cat program.log)"
}

# close_program: Escape in the activated window ends the program with status 0. (Keys go to the
# focused window: with `key --window` to a window that closes on the press, the key stays down.)
close_program() {
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    xdotool key Escape
    ended Escape
}
