#!/bin/sh
# wine-run.sh WINE PREFIX PROGRAM [ARGUMENT...]
# Runs a Windows program under Wine without a display, in the Wine prefix PREFIX (made on first
# use), so that nothing touches the user's own ~/.wine. Wine's own messages stay off.
set -eu
wine=$1
prefix=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/.made" ]; then
    mkdir -p "$prefix"
    # Programs started at once (parallel test runs) wait for the one that makes the prefix.
    (
        flock 9
        if [ ! -f "$prefix/.made" ]; then
            "$wine" wineboot --init >"$prefix/wineboot.log" 2>&1 || true
            server="$(dirname "$wine")/wineserver"
            [ -x "$server" ] || server="$(dirname "$wine")/wineserver64"
            [ -x "$server" ] && "$server" -w
            touch "$prefix/.made"
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
