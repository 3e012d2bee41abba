#!/usr/bin/env bash
# End-to-end test of the window's geometry under Xvfb and openbox: resized and moved, the window
# reopens where it was; maximized, it reopens maximized and un-maximizes back there.
# MIRRAK_E2E_SCREENSHOT=FILE also saves a picture of the screen with the resized window.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
name=geometry_test
source "$(dirname "$0")/x-display.sh"
on_fail() { [ ! -f gen.cfg ] || echo "gen.cfg's geometry: $(od -An -v -td4 -j10 -N16 gen.cfg)"; }
cd "$tmp"
start_display 1024x768x24 wm

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

rect="100,80 600x450"
start_program "$program"
xdotool windowsize "$window" 600 450
xdotool windowmove "$window" 100 80
wait_for 5 at "$rect" || fail "the window did not take $rect; it is at $(geometry)"
[ -z "${MIRRAK_E2E_SCREENSHOT:-}" ] || import -window root "$MIRRAK_E2E_SCREENSHOT"
close_program

start_program "$program"
wait_for 5 at "$rect" || fail "started again, the window is at $(geometry), not $rect"
not_maximized || fail "started again, the window is maximized"
wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
wait_for 5 maximized || fail "the window could not be maximized"
close_program

start_program "$program"
wait_for 5 maximized || fail "started again, the window is not maximized; at $(geometry)"
wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
wait_for 5 not_maximized || fail "the window could not be un-maximized"
wait_for 5 at "$rect" || fail "un-maximized, the window is at $(geometry), not $rect"
close_program
echo "geometry_test: PASS: reopened at $rect, then maximized, then back at $rect"
