#!/usr/bin/env bash
# The real program's window under Xvfb, driven by synthetic keys and clicks; run in a D-Bus session
# of its own with the AT-SPI bus. With openbox, at scale 1 and 2, a first run opens at the
# smallest size with every shown control on the bus by name and role, and the band under the image
# buttons no wider than the left margin + 2 pixels. At scale 1 typed numbers make passwords, copied
# out through the clipboard and stored in gen.cfg. With openbox and without a window manager, Exit
# or Esc as the window maps ends the program and leaves gen.cfg as it was; without a manager the
# window maps within 500 ms. The window reopens where it was moved, then maximized, then back.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
name=window_test
source "$here/x-display.sh"
on_fail() { [ ! -f gen.cfg ] || od -An -v -tu1 gen.cfg | head -n 4; }
cd "$tmp"
start_display 1280x1024x24 wm
# The accessibility bus is started before the program, which looks for it once at its start.
/usr/bin/python3 -c 'import dbus; dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")' ||
    fail "no AT-SPI bus (packages dbus, at-spi2-core and python3-dbus)"

# Every shown control on the bus as "role:name|", in the order of the tabs and the template.
controls="label:Quantity|text:Quantity|label:Length|text:Length|push button:Generate|"
controls+="push button:Save...|push button:Open...|push button:About...|push button:Help...|"
controls+="push button:Exit|text:Passwords|check box:Upper letters|check box:Lower letters|"
controls+="check box:Numbers|check box:Special symbols|text:Special symbols|progress bar:Progress|"
controls+="push button:Guide|push button:News|push button:Community|"

# first_run SCALE: a run without gen.cfg at this scale, its window checked in logical pixels.
first_run() {
    local scale=$1 frame width height left band client
    QT_SCALE_FACTOR=$scale QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$program"
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    "$here/atspi_controls.py" 20 >controls || fail "the window is not on the AT-SPI bus"
    [ "$(awk -F'\t' 'NR > 1 && $1 != "filler" && $1 != "scroll bar" { printf "%s:%s|", $1, $2 }' \
        controls)" = "$controls" ] || fail "at scale $scale the controls on the bus are: $(cat controls)"
    [ "$(awk -F'\t' '$2 == "Passwords" { print $4 }' controls)" = "0 lines" ] ||
        fail "the output box does not describe itself by its number of lines"
    # The smallest outer size is 356 x 312; in whole logical pixels at scale 2 it may be a device
    # pixel or two less.
    frame=$(xwininfo -children -id "$window" | awk '/Parent window id:/ { print $4 }')
    read -r width height <<<"$(xwininfo -id "$frame" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print w, h }')"
    ((width <= 356 * scale && width > 354 * scale && height <= 312 * scale && height > 310 * scale)) ||
        fail "at scale $scale the window is ${width}x$height, not the smallest size"
    # The dialog's extents are its client area; the band runs from the image buttons to its bottom.
    read -r left band <<<"$(awk -F'\t' 'NR == 1 { split($3, d, " ") }
        $2 == "Guide" || $2 == "News" || $2 == "Community" {
            split($3, b, " "); if (b[2] + b[4] > bottom) bottom = b[2] + b[4]
            if ($2 == "Guide") left = b[1] - d[1] }
        END { print left, d[2] + d[4] - bottom }' controls)"
    # Openbox draws its frame in device pixels: at scale 2 the client area gets the logical pixels
    # the frame gives back.
    client=$(xwininfo -id "$window" | awk '/Height:/ { print $2 }')
    frame=$(((height - client) / scale))
    given_back=$((${frame_at_1:=$frame} - frame))
    ((band >= 0 && band <= left + 2 + given_back)) || fail "at scale $scale the band under the" \
        "image buttons is $band px; the left margin is $left px (+ $given_back px of frame)"
}

first_run 1
# The focus starts in Quantity with its text selected, and Tab selects Length's.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 40 300
xdotool key Tab
xdotool type --delay 40 23
xdotool key Return
# The output box then has the focus; until the passwords are there a copy brings something else.
copied() {
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard >pasted 2>/dev/null || return 1
    [ "$(grep -c . pasted)" -eq 300 ]
}
wait_for 30 copied || fail "no 300 passwords in the clipboard within 30 s: $(head -c 200 pasted)"
bad=$(awk '!/^[A-Za-z0-9]+$/ || length($0) != 23 { print NR ": " $0; exit }' pasted)
[ -z "$bad" ] || fail "line $bad is not 23 letters and digits"
[ "$(sort -u pasted | wc -l)" -eq 300 ] || fail "repeated passwords"

close_program
# gen.cfg: byte 0 the quantity's low byte, byte 1 the length, the last 4 the quantity (LE 32-bit).
read -ra bytes <<<"$(od -An -v -tu1 gen.cfg | tr '\n' ' ')"
((${#bytes[@]} >= 6)) || fail "gen.cfg is missing or holds only ${#bytes[@]} bytes"
[ "${bytes[0]} ${bytes[1]} $((bytes[-4] | bytes[-3] << 8 | bytes[-2] << 16 | bytes[-1] << 24))" = \
    "44 23 300" ] || fail "gen.cfg does not hold the quantity 300 and the length 23"
cp gen.cfg first.cfg

# The screen position of Exit's centre, as "X Y". The window opens as gen.cfg saved it, its
# controls where they were then: Exit's centre is 197.5 dialog units across and 112 down, and a
# unit's pixels follow from the saved ratios of the hidden references (1015 at 145 units across,
# 1026 at 129 down) to the saved outer size.
exit_button() {
    local left top right bottom ratio_x ratio_y x y
    read -r left top right bottom < <(od -An -v -td4 -j10 -N16 gen.cfg)
    ratio_x=$(od -An -v -tf8 -j26 -N8 gen.cfg)
    ratio_y=$(od -An -v -tf8 -j50 -N8 gen.cfg)
    read -r x y < <(xwininfo -id "$window" |
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
    awk -v x="$x" -v y="$y" -v w=$((right - left)) -v h=$((bottom - top)) -v rx="$ratio_x" \
        -v ry="$ratio_y" 'BEGIN { printf "%d %d\n", x + 197.5 * rx * w / 145, y + 112 * ry * h / 129 }'
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# early_input MODE: three starts that click Exit or press Esc as soon as the window maps.
early_input() {
    local start times=() fastest
    cp gen.cfg settings.cfg
    for how in click esc click; do
        start=$(now_ms)
        "$program" >>program.log 2>&1 &
        program_pid=$!
        pids+=("$program_pid")
        until find_window; do
            (($(now_ms) - start < 20000)) || fail "the window did not appear within 20 s"
        done
        times+=($(($(now_ms) - start)))
        if [ "$how" = click ]; then
            read -r x y < <(exit_button)
            xdotool mousemove "$x" "$y" click 1
        else
            xdotool key Escape
        fi
        ended "$how as the window mapped ($1, ${times[-1]} ms to map)"
        cmp -s gen.cfg settings.cfg || fail "gen.cfg changed by $how as the window mapped ($1)"
    done
    echo "window_test: $1: closed as the window mapped; ms to map: ${times[*]}"
    fastest=$(printf '%s\n' "${times[@]}" | sort -n | head -n 1)
    [ "$1" = openbox ] || ((fastest <= 500)) ||
        fail "without a window manager the window took ${fastest} ms or more to map"
}
early_input openbox

# The client area's position on the screen and its size, as "X,Y WxH".
geometry() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x "," y " " w "x" h }'
}
at() { [ "$(geometry)" = "$1" ]; }
maximized() {
    local state
    state=$(xprop -id "$window" _NET_WM_STATE)
    [[ $state == *MAXIMIZED_VERT* && $state == *MAXIMIZED_HORZ* ]]
}
not_maximized() { ! maximized; }
rect="100,80 600x450"
start_program "$program"
xdotool windowsize "$window" 600 450 windowmove "$window" 100 80
wait_for 5 at "$rect" || fail "the window did not take $rect; it is at $(geometry)"
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

rm gen.cfg
first_run 2
close_program

# The same early input without a window manager, from the settings of the first run.
kill "${pids[@]}"
wait "${pids[@]}" 2>/dev/null || true
pids=()
start_display 1024x768x24
cp first.cfg gen.cfg
early_input "no window manager"
echo "window_test: PASS"
