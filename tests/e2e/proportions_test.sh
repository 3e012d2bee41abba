#!/usr/bin/env bash
# End-to-end test of the window's proportions and of what assistive technology sees, under Xvfb and
# openbox with the AT-SPI bus, at the scale factors 1 and 2. At its smallest size (the window opens
# at it on a first run) the band under the image buttons is no wider than the left margin + 2
# pixels, and every shown control is on the bus with its name and role; sizes are in the logical
# pixels the bus reports. Run in a D-Bus session of its own.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
if [ -z "${MIRRAK_OWN_BUS:-}" ]; then
    MIRRAK_OWN_BUS=1 exec dbus-run-session -- "$0" "$@" 2> >(grep -v 'fd limit' >&2)
fi
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
[ -x $python ] || python=python3
name=proportions_test
source "$here/x-display.sh"
cd "$tmp"
start_display 1280x1024x24 wm
# The accessibility bus is started before the program, which looks for it once at its start.
$python -c 'import dbus; dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")' ||
    fail "no AT-SPI bus (packages dbus, at-spi2-core and python3-dbus)"

expected="label	Quantity
text	Quantity
label	Length
text	Length
push button	Generate
push button	Save...
push button	Open...
push button	About...
push button	Help...
push button	Exit
text	Passwords
check box	Upper letters
check box	Lower letters
check box	Numbers
check box	Special symbols
text	Special symbols
progress bar	Progress
push button	Guide
push button	News
push button	Community"

for scale in 1 2; do
    rm -f gen.cfg
    QT_SCALE_FACTOR=$scale QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$program"
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    $python "$here/atspi_controls.py" 20 >controls || fail "the window is not on the AT-SPI bus"
    # The outer size is the smallest one: 356 x 312 logical pixels. The toolkit gives the frame in
    # whole logical pixels, so at scale 2 the window may be a device pixel or two smaller.
    frame=$(xwininfo -children -id "$window" | awk '/Parent window id:/ { print $4 }')
    read -r width height <<<"$(xwininfo -id "$frame" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print w, h }')"
    outer="${width}x$height"
    ((width <= 356 * scale && width > 356 * scale - scale * 2 &&
        height <= 312 * scale && height > 312 * scale - scale * 2)) ||
        fail "at scale $scale the window is $outer, not the smallest size"
    got=$(awk -F'\t' 'NR > 1 && $1 != "filler" && $1 != "scroll bar" { print $1 "\t" $2 }' controls)
    [ "$got" = "$expected" ] || fail "at scale $scale the controls on the bus are:
$got"
    # The output box tells its number of lines, not its text.
    lines=$(awk -F'\t' '$2 == "Passwords" { print $4 }' controls)
    [ "$lines" = "0 lines" ] || fail "the output box describes itself as \"$lines\""
    # The dialog's extents are its client area; the band runs from the image buttons to its bottom.
    read -r left band <<<"$(awk -F'\t' '
        NR == 1 { split($3, d, " ") }
        $2 == "Guide" || $2 == "News" || $2 == "Community" {
            split($3, b, " "); if (b[2] + b[4] > bottom) bottom = b[2] + b[4]
            if ($2 == "Guide") left = b[1] - d[1] }
        END { print left, d[2] + d[4] - bottom }' controls)"
    # Openbox draws its frame in device pixels whatever the scale: at scale 2 it takes half as many
    # logical pixels of the smallest outer size, and the client area gets them. Those are allowed.
    client=$(xwininfo -id "$window" | awk '/Height:/ { print $2 }')
    frame_height=$(((height - client) / scale))
    ((scale == 1)) && frame_at_1=$frame_height
    given_back=$((frame_at_1 - frame_height))
    echo "proportions_test: scale $scale: outer $outer, left margin $left px, band $band px," \
        "frame height $frame_height px (logical pixels)" >&2
    ((band <= left + 2 + given_back)) || fail "at scale $scale the band under the image buttons" \
        "is $band px, wider than the left margin $left px + 2 (+ $given_back px of frame)"
    ((band >= 0)) || fail "at scale $scale the image buttons reach $((-band)) px below the window"
    close_program
done
echo "proportions_test: PASS"
