#!/usr/bin/env bash
# The real program's window under Xvfb, driven by synthetic keys and clicks: at scale 1 and 2 its
# smallest size and its controls on the AT-SPI bus; passwords typed for, copied and stored; Exit or
# Esc as the window maps, with openbox and without, leaving gen.cfg alone; the position kept.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
name=window_test
source "$here/x-display.sh"
cd "$tmp"
start_display 1280x1024x24 wm
# The accessibility bus is started before the program, which looks for it once at its start; its
# socket goes in a folder of this run's own, not in ~/.cache where concurrent runs replace it.
mkdir -m 0700 runtime
dbus-update-activation-environment XDG_RUNTIME_DIR="$tmp/runtime"
/usr/bin/python3 -c 'import dbus; dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")' ||
    fail "no AT-SPI bus (packages dbus, at-spi2-core and python3-dbus)"

# Every shown control on the bus as "role:name|", in the order of the tabs and the template.
controls="label:Quantity|text:Quantity|label:Length|text:Length|push button:Generate|"
controls+="push button:Save...|push button:Open...|push button:About...|push button:Help...|"
controls+="push button:Exit|text:Passwords|check box:Upper letters|check box:Lower letters|"
controls+="check box:Numbers|check box:Special symbols|text:Special symbols|progress bar:Progress|"
controls+="push button:Guide|push button:News|push button:Community|"

# first_run SCALE: a run without gen.cfg at this scale; at scale 1 it sets $exit_x and $exit_y,
# Exit's centre from the client area's corner.
first_run() {
    local scale=$1 frame width height left band x y
    QT_SCALE_FACTOR=$scale QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$program"
    timeout 10 xdotool windowactivate --sync "$window" || fail "the window could not be activated"
    "$here/atspi_controls.py" 20 >controls || fail "the window is not on the AT-SPI bus"
    [ "$(awk -F'\t' 'NR > 1 && $1 != "filler" && $1 != "scroll bar" { printf "%s:%s|", $1, $2 }' \
        controls)" = "$controls" ] || fail "at scale $scale the controls on the bus are: $(cat controls)"
    # The smallest outer size is 356 x 312 logical pixels, at scale 2 maybe a device pixel less.
    frame=$(xwininfo -children -id "$window" | awk '/Parent window id:/ { print $4 }')
    read -r width height <<<"$(xwininfo -id "$frame" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print w, h }')"
    ((width <= 356 * scale && width > 354 * scale && height <= 312 * scale && height > 310 * scale)) ||
        fail "at scale $scale the window is ${width}x$height, not the smallest size"
    # The dialog's extents are its client area; the band under the image buttons is no wider
    # than the left margin + 2 pixels.
    read -r left band x y <<<"$(awk -F'\t' '{ split($3, b, " ") } NR == 1 { split($3, d, " ") }
        $2 == "Guide" || $2 == "News" || $2 == "Community" {
            if (b[2] + b[4] > bottom) bottom = b[2] + b[4]; if ($2 == "Guide") left = b[1] - d[1] }
        $2 == "Exit" { x = b[1] - d[1] + b[3] / 2; y = b[2] - d[2] + b[4] / 2 }
        END { printf "%d %d %d %d\n", left, d[2] + d[4] - bottom, x, y }' controls)"
    ((scale > 1)) && return
    ((band >= 0 && band <= left + 2)) ||
        fail "the band under the image buttons is $band px; the left margin is $left px"
    exit_x=$x exit_y=$y
}

first_run 1
# The focus starts in Quantity with its text selected, and Tab selects Length's.
xdotool key --clearmodifiers --delay 40 ctrl+a 3 0 0 Tab 2 3 Return
# The output box then has the focus; until the passwords are there a copy brings something else.
copied() {
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard >pasted 2>/dev/null || return 1
    [ "$(grep -c . pasted)" -eq 300 ]
}
wait_for 30 copied || fail "no 300 passwords in the clipboard within 30 s: $(head -c 200 pasted)"
! grep -vxE '[A-Za-z0-9]{23}' pasted || fail "the lines above are not 23 letters and digits"
close_program
# gen.cfg begins with the quantity's low byte and the length.
[ "$(od -An -tu1 -N2 gen.cfg | xargs)" = "44 23" ] || fail "gen.cfg does not hold 300 and 23"
cp gen.cfg first.cfg

# early_input MODE: three starts that click Exit or press Esc as soon as the window maps.
early_input() {
    local start times=()
    cp gen.cfg settings.cfg
    for how in click esc click; do
        start=${EPOCHREALTIME/./}
        start_program "$program"
        times+=($(((${EPOCHREALTIME/./} - start) / 1000)))
        if [ "$how" = click ]; then
            xdotool mousemove --window "$window" "$exit_x" "$exit_y" click 1
        else
            xdotool key Escape
        fi
        ended "$how as the window mapped ($1, ${times[-1]} ms to map)"
        cmp -s gen.cfg settings.cfg || fail "gen.cfg changed by $how as the window mapped ($1)"
    done
    echo "window_test: $1: closed as the window mapped; ms to map: ${times[*]}"
    [ "$1" = openbox ] || (($(printf '%s\n' "${times[@]}" | sort -n | head -n 1) <= 500)) ||
        fail "without a window manager the window took more than 500 ms to map"
}
early_input openbox

# The window reopens where it was moved to, at its size.
geometry() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x "," y " " w "x" h }'
}
at() { [ "$(geometry)" = "100,80 600x450" ]; }
start_program "$program"
xdotool windowsize "$window" 600 450 windowmove "$window" 100 80
wait_for 5 at || fail "the window did not take 600 x 450 at 100,80; it is at $(geometry)"
close_program
start_program "$program"
wait_for 5 at || fail "started again, the window is at $(geometry), not 100,80 600x450"
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
