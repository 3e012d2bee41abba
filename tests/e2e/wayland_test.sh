#!/usr/bin/env bash
# The window on Wayland under a headless weston, worked from inside by the preloaded WindowDriver.so,
# and the choice of the window system. Chosen with QT_QPA_PLATFORM=wayland, the window comes up
# without stalling, generates 300 passwords, takes a new size and writes gen.cfg; started again it
# keeps that size, and maximized it starts maximized. Without a choice it runs on Wayland where no
# X server answers, and on X11 where one does, even in a Wayland session; with Wayland chosen and
# no compositor listening, the program ends with status 2 and one line, not an abort. Qt's input
# method support needs the seat's input device, which a compositor without input devices does
# not have: QT_IM_MODULE=none keeps it out.
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

# run_window STEPS ENV...: the program with the driver alone preloaded (a sanitizer runtime
# would refuse to start after it) and these variables; the driver must do the steps and close
# the window, and the program end with status 0.
run_window() {
    local steps=$1 status=0
    shift
    rm -f report
    env WAYLAND_DISPLAY="$socket" QT_IM_MODULE=none MIRRAK_DRIVER_REPORT="$tmp/report" \
        MIRRAK_DRIVER_STEPS="$steps" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "$@" timeout 60 env LD_PRELOAD="$driver" "$program" >>program.log 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "with steps '$steps': status $status"
    grep -qx done report || fail "with steps '$steps': the driver never closed the window"
    ! grep '^failed=' report || fail "with steps '$steps': a step did not come about"
}
fact() { sed -n "s/^$1=//p" report; }
# gen.cfg: the quantity's low byte, the length, the maximized flag, the normal outer size and the
# 32-bit quantity at the end.
settings() {
    local bytes
    read -ra bytes <<<"$(od -An -v -tu1 gen.cfg | tr '\n' ' ')"
    ((${#bytes[@]} >= 59)) || fail "gen.cfg holds ${#bytes[@]} bytes, no geometry"
    int() { echo $((bytes[$1] | bytes[$1 + 1] << 8 | bytes[$1 + 2] << 16 | bytes[$1 + 3] << 24)); }
    echo "${bytes[0]} ${bytes[1]} ${bytes[9]} $(($(int 18) - $(int 10)))x$(($(int 22) - $(int 14)))" \
        "$(int $((${#bytes[@]} - 4)))"
}

run_window generate,resize DISPLAY=:$dead QT_QPA_PLATFORM=wayland
[ "$(fact platform)" = wayland ] || fail "QT_QPA_PLATFORM=wayland ran on $(fact platform)"
(($(fact shown_ms) < 5000)) || fail "the window took $(fact shown_ms) ms to come up on Wayland"
read -r low length maximized outer quantity <<<"$(settings)"
[ "$low $length $maximized $quantity" = "44 23 0 300" ] || fail "gen.cfg: quantity's low byte," \
    "length, maximized, quantity are $low $length $maximized $quantity, not 44 23 0 300"
run_window maximize QT_QPA_PLATFORM=wayland
[ "$(fact client)" = 600x450 ] || fail "started again, the window is $(fact client), not 600x450"
[ "$(settings | cut -d' ' -f3,4)" = "1 $outer" ] || fail "maximized, gen.cfg has $(settings)"
run_window "" DISPLAY=:$dead
[ "$(fact platform) $(fact maximized)" = "wayland 1" ] ||
    fail "without an X server the window ran on $(fact platform), maximized $(fact maximized)"
[ "$(settings | cut -d' ' -f3,4)" = "1 $outer" ] || fail "gen.cfg lost the maximized state: $(settings)"
start_display 800x600x24
run_window "" XDG_SESSION_TYPE=wayland
[ "$(fact platform)" = xcb ] || fail "with an X server in a Wayland session the window ran on $(fact platform)"
echo "wayland_test: PASS"
