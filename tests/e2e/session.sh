# Shared by the end-to-end scripts; sourced after `name` is set (it names the messages and the
# temporary folder). Gives a temporary folder ($tmp) removed on exit, processes ended by their pids
# on any exit ($pids), fail (with the logs; an on_fail function, if defined, adds its own lines),
# wait_for, and start_display, a private X display with or without openbox. KEEP_TMP=1 keeps the
# folder and its logs for a look after the run.

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirrak-$name.XXXXXX")
pids=()

cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    [ -n "${KEEP_TMP:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "${name}_test: FAIL: $*" >&2
    if declare -F on_fail >/dev/null; then on_fail >&2 || true; fi
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
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp"

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# start_display SCREEN [wm]: starts Xvfb with a screen such as 1024x768x24 and exports its
# DISPLAY; with "wm" openbox manages it too.
start_display() {
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    # Xvfb writes the free display number it picked to descriptor 3 once it accepts clients.
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
    pids+=($!)
    wait_for 20 test -s "$tmp/display" || fail "Xvfb did not start within 20 s"
    DISPLAY=":$(head -n 1 "$tmp/display")" && export DISPLAY
    if [ "${2:-}" = wm ]; then
        openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
        pids+=($!)
        wait_for 20 wm_running || fail "openbox did not take the screen $DISPLAY within 20 s"
    fi
}
