#!/usr/bin/env bash
# End-to-end test of the generator window: runs the real program under Xvfb with openbox and
# drives it with synthetic input as a person would. It types a quantity and a length, presses
# Enter, copies the passwords out of the output box through the clipboard, closes the window with
# Escape, and checks the exit status and the choices kept in "gen.cfg".
#   window_test.sh PROGRAM
# MIRRAK_E2E_SCREENSHOT=FILE also saves a picture of the screen while the passwords are shown.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
quantity=300 # above 255, so that the low byte and the 32-bit field of "gen.cfg" differ
length=23

fail() {
    echo "window_test: FAIL: $*" >&2
    tail -n 20 "$tmp"/*.log >&2 2>/dev/null || true
    exit 1
}
step() { echo "window_test: $*"; }

# Every process started here is ended by its pid, the temp folder removed, on any exit.
pids=()
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-window.XXXXXX")
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# wait_for SECONDS COMMAND...: retries COMMAND every 0.1 s; non-zero when it never succeeds.
wait_for() {
    local tries=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}

suppressions="$(cd "$(dirname "$0")/.." && pwd)/lsan.supp"
cd "$tmp"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# A sanitized build reports leaks at exit; those of system libraries are not the program's.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$suppressions"

# Xvfb reports the free display number it picked on descriptor 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
wait_for 20 test -s "$tmp/display" || fail "Xvfb did not start within 20 s"
DISPLAY=":$(head -n 1 "$tmp/display")"
export DISPLAY
step "display $DISPLAY"

openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for 20 wm_running || fail "openbox did not take the screen within 20 s"

"$program" >"$tmp/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Mirrak Generator$' | head -n 1) ||
    fail "the window \"Mirrak Generator\" did not appear within 20 s"
step "window $window"
timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
sleep 0.5 # lets the toolkit handle the focus change before the first key

# The focus starts in Quantity: select its text, type over it, Tab to Length, type, Enter.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 40 "$quantity"
xdotool key Tab
xdotool type --delay 40 "$length"
xdotool key Return

# After a run the output box has the focus: select everything in it and copy it. Until the
# passwords are there the copy brings something else, so it is repeated.
copied() {
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard >"$tmp/clipboard" 2>/dev/null || return 1
    [ "$(grep -c . "$tmp/clipboard")" -eq "$quantity" ]
}
wait_for 30 copied || fail "no $quantity passwords in the clipboard within 30 s; last copy:" \
    "$(head -c 200 "$tmp/clipboard" 2>/dev/null | tr '\n' ' ')"
step "copied $(wc -c <"$tmp/clipboard") bytes"

# Exactly QUANTITY lines of LENGTH letters and digits, nothing else; a last line break may follow.
bad=$(awk -v n="$length" '!/^[A-Za-z0-9]+$/ || length($0) != n { print NR ": " $0; exit }' \
    "$tmp/clipboard")
[ -z "$bad" ] || fail "line $bad is not $length letters and digits"
[ "$(sort -u "$tmp/clipboard" | wc -l)" -eq "$quantity" ] || fail "repeated passwords"

if [ -n "${MIRRAK_E2E_SCREENSHOT:-}" ]; then
    import -window root "$MIRRAK_E2E_SCREENSHOT"
    step "screenshot $MIRRAK_E2E_SCREENSHOT"
fi

xdotool key Escape
exited() { ! kill -0 "$program_pid"; }
wait_for 10 exited || fail "the program did not exit within 10 s of Escape"
status=0
wait "$program_pid" || status=$?
pids=("${pids[@]:0:2}") # the program is reaped; Xvfb and openbox are left to end
[ "$status" -eq 0 ] || fail "exit status $status; program output: $(cat "$tmp/program.log")"

# "gen.cfg": byte 0 the quantity's low byte, byte 1 the length, last 4 the quantity (LE 32-bit).
[ -f gen.cfg ] || fail "no gen.cfg was written"
mapfile -t bytes < <(od -An -v -tu1 gen.cfg | tr -s ' ' '\n' | grep .)
size=${#bytes[@]}
((size >= 6)) || fail "gen.cfg holds only $size bytes"
tail32=$((bytes[size - 4] | bytes[size - 3] << 8 | bytes[size - 2] << 16 | bytes[size - 1] << 24))
[ "${bytes[0]}" -eq $((quantity & 255)) ] || fail "gen.cfg byte 0 is ${bytes[0]}"
[ "${bytes[1]}" -eq "$length" ] || fail "gen.cfg byte 1 is ${bytes[1]}, not $length"
[ "$tail32" -eq "$quantity" ] || fail "gen.cfg ends with quantity $tail32, not $quantity"
step "PASS: $quantity passwords of $length characters; gen.cfg holds $size bytes"
