#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the program with
# help.chm beside it, its window module under lib/mirrak-generator/, the desktop entry and both
# icons. The installed program then runs in batch mode, which must map no Qt library, without its
# module, which must end with status 2 and one line on stderr, and with its window under Xvfb,
# started by its bare name from another folder: the window must come from the installed module,
# carry the 32 x 32 icon and open the help file.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD-DIR" >&2; exit 2; }
build=$(realpath "$1")
name=install_test
source "$(dirname "$0")/x-display.sh"
prefix=$tmp/prefix
# The first bytes of a file as hex, without blanks.
hex() { head -c "$2" "$1" | od -An -tx1 | tr -d ' \n'; }

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || fail "cmake --install failed"

program=$prefix/bin/mirrak-generator
[ -x "$program" ] || fail "no program at bin/mirrak-generator"
# The window module: an ELF file under lib/mirrak-generator/, and none beside the program, which
# would be found first.
module=$prefix/lib/mirrak-generator/mirrak-window.so
[ "$(hex "$module" 4)" = 7f454c46 ] || fail "no window module at lib/mirrak-generator/mirrak-window.so"
[ ! -e "$prefix/bin/mirrak-window.so" ] || fail "a window module was installed beside the program"
# A CHM file starts with "ITSF".
[ "$(hex "$prefix/bin/help.chm" 4)" = 49545346 ] || fail "no help.chm beside the program"
desktop=$prefix/share/applications/mirrak-generator.desktop
grep -qx 'Exec=mirrak-generator' "$desktop" || fail "no desktop entry that starts the program"
grep -qx 'Icon=mirrak-generator' "$desktop" || fail "the desktop entry names no icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
fi
# PNG signature, IHDR, width 32, height 32.
png=$prefix/share/icons/hicolor/32x32/apps/mirrak-generator.png
[ "$(hex "$png" 24)" = 89504e470d0a1a0a0000000d494844520000002000000020 ] ||
    fail "no 32 x 32 PNG icon"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/mirrak-generator.svg" ||
    fail "no scalable icon"

# Batch mode: three passwords of ten characters, each with CR LF. The dynamic linker lists every
# library it maps; none may be Qt's.
cd "$tmp"
LD_DEBUG=files LD_DEBUG_OUTPUT=$tmp/ld "$program" count:3 length:10 out.txt ||
    fail "batch mode ended with status $?"
[ "$(stat -c %s out.txt)" -eq 36 ] || fail "batch mode wrote $(stat -c %s out.txt) bytes, not 36"
cat ld.* | grep -o 'file=[^ ]*' | sed 's|^file=||; s|.*/||' | sort -u >mapped.txt
grep -q '^libc\.so' mapped.txt || fail "the dynamic linker's list of libraries is missing or empty"
! grep '^libQt6' mapped.txt || fail "batch mode mapped the Qt libraries above"

# Without its module the program cannot open its window: status 2 and one line on stderr that
# says so. The window's display is not needed for that: the module is looked for first.
mv "$module" "$module.away"
status=0
DISPLAY=${DISPLAY:-:0} "$program" 2>nomodule.txt >/dev/null || status=$?
mv "$module.away" "$module"
[ "$status" -eq 2 ] || fail "without its module the program ended with status $status, not 2"
[ "$(wc -l <nomodule.txt)" -eq 1 ] && grep -q 'the window cannot be opened' nomodule.txt ||
    fail "without its module the program said: $(cat nomodule.txt)"

# The window: its icon comes from the resources compiled into the program.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xprop >/dev/null; then
    start_display 800x600x24
    # Started by its bare name from another folder, as the desktop entry starts it; the desktop's
    # opener is a stand-in that records what it is asked to open.
    mkdir elsewhere opener
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened"\n' "$tmp" >opener/xdg-open
    chmod +x opener/xdg-open
    start_program env -C elsewhere PATH="$prefix/bin:$tmp/opener:$PATH" mirrak-generator
    grep -qF " $(realpath "$module")" "/proc/$program_pid/maps" ||
        fail "the window did not come from the installed module $module"
    # The icon is set while the dialog initialises, which may follow the window's first showing.
    has_icon() { xprop -id "$window" _NET_WM_ICON | head -n 3 >icon.txt && grep -q 'Icon (32 x 32)' icon.txt; }
    wait_for 10 has_icon || fail "the window has no 32 x 32 icon: $(cat icon.txt)"
    # Help: the button's centre lies 33 dialog units left of the window's right edge and 92 below
    # its top; the dialog font (Liberation Sans, 8 points, at Xvfb's 96 dpi) makes a unit 1.5
    # pixels each way. The window has no frame here, as no window manager runs.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --window "$window" $((WIDTH - 50)) 138 click 1
    wait_for 10 test -s opened || fail "Help asked the desktop to open nothing"
    [ "$(cat opened)" = "file://$prefix/bin/help.chm" ] ||
        fail "Help opened $(cat opened), not the help file beside the installed program"
else
    echo "install_test: Xvfb, xdotool or xprop missing: window icon not checked" >&2
fi
echo "install_test: OK"
