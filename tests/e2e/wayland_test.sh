#!/usr/bin/env bash
# The window on Wayland, under a headless weston, and the choice of the window system.
#
# A headless compositor takes no synthetic input, so the preloaded WindowDriver.so works the window
# from inside the process (key events through the widgets' own handling) and reports what it saw.
# With QT_QPA_PLATFORM=wayland the window must come up without stalling, generate 300 passwords
# of 23 characters, take a new size, close and write "gen.cfg"; started again it must keep that
# size, and maximized it must start maximized. Without QT_QPA_PLATFORM it must run on Wayland
# when no X server answers, and on X11 when one does, even with a Wayland compositor there. Where
# no display answers at all (an X display nobody serves, chosen or not; a Wayland socket nobody
# listens on) the program must end with status 2 and one line on stderr, not abort.
#
# Qt's Wayland input method support dereferences the seat's input device, which a compositor
# without input devices does not have; QT_IM_MODULE=none keeps it out of these runs.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 PROGRAM WINDOW-DRIVER" >&2; exit 2; }
program=$(realpath "$1")
driver=$(realpath "$2")
name=wayland_test
source "$(dirname "$0")/x-display.sh"
on_fail() { tail -n 20 "$tmp/weston.log" 2>/dev/null; cat report 2>/dev/null; }
cd "$tmp"
command -v weston >/dev/null || fail "weston is missing (Debian packages weston and qt6-wayland)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY

# An X display that nobody serves.
dead=77
while [ -e "/tmp/.X11-unix/X$dead" ]; do dead=$((dead + 1)); done
# no_display CASE ENV...: the program, with these variables, must end with status 2 and one line.
no_display() {
    local case=$1 status=0
    shift
    env "$@" timeout 20 "$program" >out.txt 2>err.txt || status=$?
    [ "$status" -eq 2 ] || fail "$case: status $status, not 2; stderr: $(cat err.txt)"
    [ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'no display for the window' err.txt ||
        fail "$case: stderr is not one line that says there is no display: $(cat err.txt)"
}
no_display "an X display nobody serves" DISPLAY=:$dead
no_display "QT_QPA_PLATFORM=xcb on an X display nobody serves" DISPLAY=:$dead QT_QPA_PLATFORM=xcb
mkdir -m 0700 runtime
no_display "QT_QPA_PLATFORM=wayland without a compositor" XDG_RUNTIME_DIR="$tmp/runtime" \
    WAYLAND_DISPLAY=nobody QT_QPA_PLATFORM=wayland

# The compositor, with a runtime folder of its own.
socket=mirrak-$$
XDG_RUNTIME_DIR=$tmp/runtime weston --backend=headless-backend.so --socket="$socket" \
    --idle-time=0 >weston.log 2>&1 &
pids+=($!)
wait_for 20 test -S "runtime/$socket" || fail "weston did not make its socket within 20 s"

# run_window STEPS ENV...: the program with the driver and these variables; it must end with status
# 0 once the driver has done the steps and closed the window. The report is left in "report".
run_window() {
    local steps=$1 status=0
    shift
    rm -f report
    # The driver goes into the program alone; a sanitizer runtime would otherwise refuse to start
    # after it.
    env XDG_RUNTIME_DIR="$tmp/runtime" WAYLAND_DISPLAY="$socket" QT_IM_MODULE=none \
        MIRRAK_DRIVER_REPORT="$tmp/report" MIRRAK_DRIVER_STEPS="$steps" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" "$@" \
        timeout 60 env LD_PRELOAD="$driver" "$program" >>program.log 2>&1 || status=$?
    [ "$status" -eq 0 ] || fail "with steps '$steps': status $status; program output: $(cat program.log)"
    grep -qx done report || fail "with steps '$steps': the window was never closed by the driver"
    ! grep '^failed=' report || fail "with steps '$steps': a step did not come about"
}
# fact NAME [N]: the N-th (default first) value that the report gives for NAME.
fact() { grep "^$1=" report | sed -n "${2:-1}p" | cut -d= -f2; }
# The bytes of "gen.cfg": quantity's low byte, length, maximized flag, width and height of the
# normal rectangle, and the 32-bit quantity at its end.
settings() {
    local bytes
    read -ra bytes <<<"$(od -An -v -tu1 gen.cfg | tr '\n' ' ')"
    ((${#bytes[@]} >= 59)) || fail "gen.cfg holds ${#bytes[@]} bytes, no geometry"
    int() { echo $((bytes[$1] | bytes[$1 + 1] << 8 | bytes[$1 + 2] << 16 | bytes[$1 + 3] << 24)); }
    echo "${bytes[0]} ${bytes[1]} ${bytes[9]} $(($(int 18) - $(int 10)))x$(($(int 22) - $(int 14))) $(
        int $((${#bytes[@]} - 4)))"
}

# On Wayland as chosen: shown without stalling, generates, takes a new size, writes gen.cfg.
run_window generate,resize DISPLAY=:$dead QT_QPA_PLATFORM=wayland
[ "$(fact platform)" = wayland ] || fail "QT_QPA_PLATFORM=wayland ran on $(fact platform)"
shown=$(fact shown_ms)
((shown < 5000)) || fail "the window took $shown ms to come up on Wayland"
[ "$(fact lines)" -ge 300 ] || fail "the output box holds $(fact lines) lines, not 300 passwords"
read -r low length maximized outer quantity <<<"$(settings)"
[ "$low $length $maximized $quantity" = "44 23 0 300" ] ||
    fail "gen.cfg: quantity's low byte, length, maximized, quantity are" \
        "$low $length $maximized $quantity, not 44 23 0 300"
first=$outer

# Started again it keeps its size; maximized, it is written so.
run_window maximize QT_QPA_PLATFORM=wayland
[ "$(fact client)" = 600x450 ] || fail "started again, the window is $(fact client), not 600x450"
read -r _ _ maximized outer _ <<<"$(settings)"
[ "$maximized $outer" = "1 $first" ] ||
    fail "maximized: gen.cfg has maximized $maximized and $outer, not 1 and $first"
run_window "" QT_QPA_PLATFORM=wayland
[ "$(fact maximized)" = 1 ] || fail "started again, the window is not maximized"
read -r _ _ maximized outer _ <<<"$(settings)"
[ "$maximized $outer" = "1 $first" ] || fail "gen.cfg lost the maximized state or the normal size"

# Without a choice: Wayland where no X server answers, X11 where one does.
run_window "" DISPLAY=:$dead
[ "$(fact platform)" = wayland ] || fail "without an X server the window ran on $(fact platform)"
start_display 800x600x24
# A Wayland session says so, and Qt would then pick Wayland by itself.
run_window "" XDG_SESSION_TYPE=wayland
[ "$(fact platform)" = xcb ] ||
    fail "with an X server and a Wayland compositor the window ran on $(fact platform), not xcb"
echo "wayland_test: PASS: on Wayland up in $shown ms, 300 passwords, size $first kept, maximized" \
    "kept; X11 chosen where an X server answers"
