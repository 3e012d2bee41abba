#!/usr/bin/env bash
# The window on Wayland under a headless weston, worked from inside by the preloaded WindowDriver.so:
# it comes up without stalling and keeps its size and maximized state; the window system chosen
# (X11 where an X server answers, even in a Wayland session); no compositor: status 2, one line.
# QT_IM_MODULE=none: Qt's input methods need an input device that weston lacks.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 PROGRAM WINDOW-DRIVER" >&2; exit 2; }
program=$(realpath "$1")
driver=$(realpath "$2")
name=wayland_test
source "$(dirname "$0")/x-display.sh"
on_fail() { cat report 2>/dev/null; }
cd "$tmp"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY
mkdir -m 0700 runtime
export XDG_RUNTIME_DIR=$tmp/runtime
status=0
WAYLAND_DISPLAY=nobody QT_QPA_PLATFORM=wayland timeout 20 "$program" 2>err.txt || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'no display for the window' err.txt ||
    fail "Wayland chosen without a compositor: status $status; stderr: $(cat err.txt)"

socket=mirrak-$$
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >weston.log 2>&1 &
pids+=($!)
wait_for 20 test -S "runtime/$socket" || fail "weston did not make its socket within 20 s (packages weston, qt6-wayland)"

# run_window STEP ENV...: the program with the driver alone preloaded (a sanitizer runtime would
# refuse to start after it); the driver does the step and closes the window, status 0.
run_window() {
    local step=$1 status=0
    shift
    rm -f report
    env WAYLAND_DISPLAY="$socket" QT_IM_MODULE=none MIRRAK_DRIVER_REPORT="$tmp/report" \
        MIRRAK_DRIVER_STEP="$step" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "$@" timeout 60 env LD_PRELOAD="$driver" "$program" >>program.log 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "with step '$step': status $status"
    grep -qx done report || fail "with step '$step': the driver never closed the window"
    ! grep '^failed=' report || fail "with step '$step': it did not come about"
}
fact() { sed -n "s/^$1=//p" report; }
# gen.cfg's maximized flag and normal outer size, as "0|1 WxH".
settings() {
    od -An -v -tu1 gen.cfg | tr '\n' ' ' | awk 'NF >= 59 { for (i = 1; i <= NF; i++) b[i - 1] = $i
        print b[9], (le(18) - le(10)) "x" (le(22) - le(14)) }
        function le(o) { return b[o] + b[o + 1] * 256 + b[o + 2] * 65536 + b[o + 3] * 16777216 }'
}

run_window resize DISPLAY=:$dead QT_QPA_PLATFORM=wayland
[ "$(fact platform)" = wayland ] || fail "QT_QPA_PLATFORM=wayland ran on $(fact platform)"
(($(fact shown_ms) < 5000)) || fail "the window took $(fact shown_ms) ms to come up on Wayland"
[[ "$(settings)" =~ ^0\ ([0-9]+x[0-9]+)$ ]] || fail "gen.cfg has no normal geometry: $(settings)"
outer=${BASH_REMATCH[1]}
run_window maximize QT_QPA_PLATFORM=wayland
[ "$(fact client)" = 600x450 ] || fail "started again, the window is $(fact client), not 600x450"
[ "$(settings)" = "1 $outer" ] || fail "maximized, gen.cfg has $(settings)"
run_window "" DISPLAY=:$dead
[ "$(fact platform) $(fact maximized)" = "wayland 1" ] ||
    fail "without an X server the window ran on $(fact platform), maximized $(fact maximized)"
[ "$(settings)" = "1 $outer" ] || fail "gen.cfg lost the maximized state: $(settings)"
start_display 800x600x24
run_window "" XDG_SESSION_TYPE=wayland
[ "$(fact platform)" = xcb ] || fail "with an X server in a Wayland session the window ran on $(fact platform)"
echo "wayland_test: PASS"
