#!/usr/bin/env bash
# End-to-end test of the window: the real program under Xvfb and openbox, driven by synthetic keys.
# Types a quantity and a length, presses Enter, copies the passwords out through the clipboard,
# closes with Escape, checks the exit status and "gen.cfg".
# MIRRAK_E2E_SCREENSHOT=FILE also saves a picture of the screen while the passwords are shown.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
quantity=300 # above 255, so that the low byte and the 32-bit field of "gen.cfg" differ
length=23
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-window.XXXXXX")
pids=() # every process started here, ended by its pid on any exit; the folder is removed

cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
    echo "window_test: FAIL: $*" >&2
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
suppressions="$(cd "$(dirname "$0")/.." && pwd)/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$suppressions"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
cd "$tmp"

# Xvfb writes the free display number it picked to descriptor 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display 2>xvfb.log &
pids+=($!)
wait_for 20 test -s display || fail "Xvfb did not start within 20 s"
DISPLAY=":$(head -n 1 display)" && export DISPLAY
openbox --sm-disable >openbox.log 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for 20 wm_running || fail "openbox did not take the screen $DISPLAY within 20 s"

"$program" >program.log 2>&1 &
program_pid=$!
pids+=("$program_pid")
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Mirrak Generator$' | head -n 1) ||
    fail "the window \"Mirrak Generator\" did not appear within 20 s"
timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
sleep 0.5 # lets the toolkit handle the focus change before the first key

# The focus starts in Quantity: select its text, type over it, Tab to Length, type, Enter.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 40 "$quantity"
xdotool key Tab
xdotool type --delay 40 "$length"
xdotool key Return
# The output box then has the focus; until the passwords are there a copy brings something else.
copied() {
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard >pasted 2>/dev/null || return 1
    [ "$(grep -c . pasted)" -eq "$quantity" ]
}
wait_for 30 copied || fail "no $quantity passwords in the clipboard within 30 s; last copy:" \
    "$(head -c 200 pasted 2>/dev/null | tr '\n' ' ')"
bad=$(awk -v n="$length" '!/^[A-Za-z0-9]+$/ || length($0) != n { print NR ": " $0; exit }' pasted)
[ -z "$bad" ] || fail "line $bad is not $length letters and digits"
[ "$(sort -u pasted | wc -l)" -eq "$quantity" ] || fail "repeated passwords"
[ -z "${MIRRAK_E2E_SCREENSHOT:-}" ] || import -window root "$MIRRAK_E2E_SCREENSHOT"

xdotool key Escape
exited() { ! kill -0 "$program_pid"; }
wait_for 10 exited || fail "the program did not exit within 10 s of Escape"
unset 'pids[-1]' # the program has ended: it is reaped here, not killed
wait "$program_pid" || fail "exit status $?; program output: $(cat program.log)"

# "gen.cfg": byte 0 the quantity's low byte, byte 1 the length, last 4 the quantity (LE 32-bit).
[ -f gen.cfg ] || fail "no gen.cfg was written"
read -ra bytes <<<"$(od -An -v -tu1 gen.cfg | tr '\n' ' ')"
((${#bytes[@]} >= 6)) || fail "gen.cfg holds only ${#bytes[@]} bytes"
got="${bytes[0]} ${bytes[1]} $((bytes[-4] | bytes[-3] << 8 | bytes[-2] << 16 | bytes[-1] << 24))"
want="$((quantity & 255)) $length $quantity"
[ "$got" = "$want" ] || fail "gen.cfg: quantity's low byte, length, quantity are $got, not $want"
echo "window_test: PASS: $quantity passwords of $length characters; gen.cfg of ${#bytes[@]} bytes"
