#!/usr/bin/env bash
# End-to-end test of the window under Xvfb and openbox, driven by synthetic keys: types a quantity
# and a length, presses Enter, copies the passwords out through the clipboard, closes with Escape
# and checks "gen.cfg". MIRRAK_E2E_SCREENSHOT=FILE also saves a picture with the passwords shown.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
quantity=300 # above 255, so that the low byte and the 32-bit field of "gen.cfg" differ
length=23
name=window_test
source "$(dirname "$0")/x-display.sh"
cd "$tmp"
start_display 1024x768x24 wm
start_program "$program"
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
close_program

# "gen.cfg": byte 0 the quantity's low byte, byte 1 the length, last 4 the quantity (LE 32-bit).
read -ra bytes <<<"$(od -An -v -tu1 gen.cfg 2>/dev/null | tr '\n' ' ')"
((${#bytes[@]} >= 6)) || fail "gen.cfg is missing or holds only ${#bytes[@]} bytes"
got="${bytes[0]} ${bytes[1]} $((bytes[-4] | bytes[-3] << 8 | bytes[-2] << 16 | bytes[-1] << 24))"
want="$((quantity & 255)) $length $quantity"
[ "$got" = "$want" ] || fail "gen.cfg: quantity's low byte, length, quantity are $got, not $want"
echo "window_test: PASS: $quantity passwords of $length characters; gen.cfg of ${#bytes[@]} bytes"
