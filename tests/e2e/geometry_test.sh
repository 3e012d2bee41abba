#!/usr/bin/env bash
# End-to-end test of the window's geometry: the real program under Xvfb and openbox. Resizes and
# moves the window as a person would, closes it, starts it again and finds it where it was; then
# maximizes it, closes it, starts it again, finds it maximized and un-maximizes it back to where
# it was. MIRRAK_E2E_SCREENSHOT=FILE also saves a picture of the screen with the resized window.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-geometry.XXXXXX")
pids=() # every process started here, ended by its pid on any exit; the folder is removed

cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
    echo "geometry_test: FAIL: $*" >&2
    [ ! -f gen.cfg ] || echo "gen.cfg's geometry: $(od -An -v -td4 -j10 -N16 gen.cfg)" >&2
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

suppressions="$(cd "$(dirname "$0")/.." && pwd)/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$suppressions"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
cd "$tmp"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display 2>xvfb.log &
pids+=($!)
wait_for 20 test -s display || fail "Xvfb did not start within 20 s"
DISPLAY=":$(head -n 1 display)" && export DISPLAY
openbox --sm-disable >openbox.log 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for 20 wm_running || fail "openbox did not take the screen $DISPLAY within 20 s"

# The client area's position on the screen and its size, as "X,Y WxH".
geometry() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x "," y " " w "x" h }'
}
at() { [ "$(geometry)" = "$1" ]; }
maximized() {
    local state
    state=$(xprop -id "$window" _NET_WM_STATE)
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}
not_maximized() { ! maximized; }

start() {
    "$program" >>program.log 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Mirrak Generator$' |
        head -n 1) || fail "the window \"Mirrak Generator\" did not appear within 20 s;" \
        "windows: $(xdotool search --name Mirrak | xargs -rn1 xwininfo -id | grep -E 'xwininfo|Map')"
    sleep 0.5 # the program places the window from gen.cfg once it is decorated
}
close() {
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    xdotool key Escape
    exited() { ! kill -0 "$program_pid"; }
    wait_for 10 exited || fail "the program did not exit within 10 s of Escape"
    unset 'pids[-1]'
    wait "$program_pid" || fail "exit status $?; program output: $(cat program.log)"
}

rect="100,80 600x450"
start
xdotool windowsize "$window" 600 450
xdotool windowmove "$window" 100 80
wait_for 5 at "$rect" || fail "the window did not take $rect; it is at $(geometry)"
[ -z "${MIRRAK_E2E_SCREENSHOT:-}" ] || import -window root "$MIRRAK_E2E_SCREENSHOT"
close

start
wait_for 5 at "$rect" || fail "started again, the window is at $(geometry), not $rect"
not_maximized || fail "started again, the window is maximized"
wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
wait_for 5 maximized || fail "the window could not be maximized"
close

start
wait_for 5 maximized || fail "started again, the window is not maximized; at $(geometry)"
wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
wait_for 5 not_maximized || fail "the window could not be un-maximized"
wait_for 5 at "$rect" || fail "un-maximized, the window is at $(geometry), not $rect"
close
echo "geometry_test: PASS: reopened at $rect, then maximized, then back at $rect"
