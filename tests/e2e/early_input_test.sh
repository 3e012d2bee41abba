#!/usr/bin/env bash
# End-to-end test of the window's first moments under Xvfb, without a window manager and with
# openbox: with the user's settings in gen.cfg, Exit is clicked (or Esc pressed) as soon as the
# window is mapped. The program must close on that press with status 0 and leave gen.cfg as it
# was; without a window manager the window must also be up well within a second.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(realpath "$1")
name=early_input_test
source "$(dirname "$0")/x-display.sh"
on_fail() { [ ! -f gen.cfg ] || echo "gen.cfg: $(od -An -v -tu1 gen.cfg | head -n 2 | tr -s ' \n' ' ')"; }
cd "$tmp"
runs=3
budget_ms=500 # start to mapped window without a window manager, fastest run

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# gen.cfg with quantity 5, length 12, no lower-case letters and the symbols "#%", no geometry.
write_settings() {
    printf '\5\14\1\0\1\0\0\0\0\1\3\0\0\0#%%\0\5\0\0\0' >gen.cfg
}

# The screen position of Exit's centre, as "X Y". The window opens as gen.cfg saved it and keeps
# its controls where they were then: Exit spans dialog units 170-225 across and 105-119 down,
# and the pixels of a dialog unit follow from the saved ratios of the hidden references (1015 at
# 145 units across, 1026 at 129 down) to the saved outer size.
exit_button() {
    local left top right bottom ratio_x ratio_y
    read -r left top right bottom < <(od -An -v -td4 -j10 -N16 gen.cfg)
    ratio_x=$(od -An -v -tf8 -j26 -N8 gen.cfg)
    ratio_y=$(od -An -v -tf8 -j50 -N8 gen.cfg)
    read -r x y < <(xwininfo -id "$window" |
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
    awk -v x="$x" -v y="$y" -v w=$((right - left)) -v h=$((bottom - top)) \
        -v rx="$ratio_x" -v ry="$ratio_y" \
        'BEGIN { printf "%d %d\n", x + 197.5 * rx * w / 145, y + 112 * ry * h / 129 }'
}

exited() { ! kill -0 "$program_pid" 2>/dev/null; }

# One start: waits for the window without pausing, then at once clicks Exit or presses Esc. Sets
# $mapped to the milliseconds from start to mapped window.
early_close() {
    local how=$1 start
    start=$(now_ms)
    "$program" >>program.log 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    until find_window; do
        (($(now_ms) - start < 20000)) || fail "the window did not appear within 20 s"
    done
    mapped=$(($(now_ms) - start))
    if [ "$how" = click ]; then
        read -r x y < <(exit_button)
        xdotool mousemove "$x" "$y" click 1
    else
        xdotool key Escape
    fi
    wait_for 5 exited || fail "the program did not exit within 5 s of $how ($mode, ${mapped} ms to map)"
    unset 'pids[-1]'
    wait "$program_pid" || fail "exit status $? after $how ($mode)"
    cmp -s gen.cfg settings.cfg || fail "gen.cfg changed by $how as the window mapped ($mode)"
}

for mode in none openbox; do
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    pids=()
    start_display 1024x768x24 $([ "$mode" = openbox ] && echo wm)
    # A first session writes the settings as the program keeps them, with the window's geometry.
    write_settings
    cp gen.cfg crafted.cfg
    start_program "$program"
    sleep 0.5 # focus has come to the window
    xdotool key Escape
    wait_for 5 exited || fail "the first session did not close on Esc ($mode)"
    unset 'pids[-1]'
    wait "$program_pid" || fail "exit status $? of the first session ($mode)"
    ! cmp -s gen.cfg crafted.cfg || fail "the first session did not write gen.cfg ($mode)"
    [ "$(od -An -tu1 -N5 gen.cfg | tr -s ' ')" = " 5 12 1 0 1" ] ||
        fail "the first session did not keep the settings ($mode)"
    cp gen.cfg settings.cfg

    times=()
    for run in $(seq $runs); do
        how=click
        ((run % 2)) || how=esc
        early_close "$how"
        times+=("$mapped")
    done
    fastest=$(printf '%s\n' "${times[@]}" | sort -n | head -n 1)
    echo "early_input_test: $mode: closed on the first press $runs times; ms to map: ${times[*]}"
    if [ "$mode" = none ] && ((fastest > budget_ms)); then
        fail "without a window manager the window took ${fastest} ms or more to map"
    fi
done
echo "early_input_test: PASS"
