#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: exactly the files below,
# where a Linux system keeps them (the program in bin/, its window module under
# lib/mirrak-generator/, help.chm and the help as web pages under share/mirrak-generator/, the
# manual page, the desktop entry, the AppStream metainfo and the icons at every size), with the
# desktop entry and the metainfo passing desktop-file-validate and appstreamcli. The installed
# program then runs in batch mode, which must map no Qt library, without its module, which must
# end with status 2 and one line on stderr, and with its window under Xvfb, started by its bare
# name from another folder: the window must come from the installed module, carry the 32 x 32 icon,
# and Help must open the installed help file where the desktop has a viewer for CHM files and the
# web pages where it has none (a stand-in xdg-mime says which, a stand-in xdg-open records).
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD-DIR" >&2; exit 2; }
build=$(realpath "$1")
name=install_test
source "$(dirname "$0")/x-display.sh"
prefix=$tmp/prefix
# The first bytes of a file as hex, without blanks.
hex() { head -c "$2" "$1" | od -An -tx1 | tr -d ' \n'; }

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || fail "cmake --install failed"

# Every installed file, and nothing else: no help file in bin/, no module beside the program.
expected=$(
    printf '%s\n' bin/mirrak-generator lib/mirrak-generator/mirrak-window.so \
        share/applications/mirrak-generator.desktop \
        share/icons/hicolor/scalable/apps/mirrak-generator.svg \
        share/man/man1/mirrak-generator.1.gz \
        share/metainfo/example.mirrak.generator.metainfo.xml share/mirrak-generator/help.chm
    for size in 16 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/mirrak-generator.png"
    done
    (cd "$build/html" && ls) | sed 's|^|share/mirrak-generator/html/|'
)
expected=$(sort <<<"$expected")
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "the installed files differ from the expected ones:"$'\n'"$(
    diff <(echo "$expected") <(echo "$installed"))"

program=$prefix/bin/mirrak-generator
[ -x "$program" ] || fail "the program is not executable"
module=$prefix/lib/mirrak-generator/mirrak-window.so
[ "$(hex "$module" 4)" = 7f454c46 ] || fail "the window module is no ELF file"
# A CHM file starts with "ITSF"; the pages carry the version.
data=$prefix/share/mirrak-generator
[ "$(hex "$data/help.chm" 4)" = 49545346 ] || fail "share/mirrak-generator/help.chm is no CHM file"
grep -q 'Mirrak Generator 2\.4' "$data/html/support.html" || fail "the help pages do not name the version"
gzip -t "$prefix/share/man/man1/mirrak-generator.1.gz" || fail "the manual page is no gzip file"

desktop=$prefix/share/applications/mirrak-generator.desktop
grep -qx 'Exec=mirrak-generator' "$desktop" || fail "no desktop entry that starts the program"
grep -qx 'Icon=mirrak-generator' "$desktop" || fail "the desktop entry names no icon"
grep -qx 'Categories=Utility;Security;' "$desktop" || fail "the desktop entry is not in Utility and Security"
# Errors and warnings fail; hints (Security could be more precise) are left out.
desktop-file-validate --no-hints "$desktop" >"$tmp/validate.txt" 2>&1 && [ ! -s "$tmp/validate.txt" ] ||
    fail "desktop-file-validate: $(cat "$tmp/validate.txt")"
metainfo=$prefix/share/metainfo/example.mirrak.generator.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.txt" 2>&1 ||
    fail "appstreamcli: $(cat "$tmp/appstream.txt")"
grep -q '<launchable type="desktop-id">mirrak-generator.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch the desktop entry"

# PNG signature, IHDR, then width and height; the scalable icon is SVG.
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/mirrak-generator.png
    [ "$(hex "$png" 24)" = "89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size")" ] ||
        fail "no $size x $size PNG icon"
done
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
    # Started by its bare name from another folder, as the desktop entry starts it. The desktop's
    # opener is a stand-in that records what it is asked to open; the stand-in xdg-mime names a
    # viewer for CHM files while the file "viewer" holds one.
    mkdir elsewhere opener
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened"\n' "$tmp" >opener/xdg-open
    printf '#!/bin/sh\n[ "$*" = "query default application/vnd.ms-htmlhelp" ] && cat "%s/viewer"\n' \
        "$tmp" >opener/xdg-mime
    chmod +x opener/xdg-open opener/xdg-mime
    echo xchm.desktop >viewer
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
    press_help() {
        rm -f opened
        xdotool mousemove --window "$window" $((WIDTH - 50)) 138 click 1
        wait_for 10 test -s opened || fail "Help asked the desktop to open nothing ($1)"
    }
    press_help "with a viewer for CHM files"
    [ "$(cat opened)" = "file://$data/help.chm" ] ||
        fail "with a viewer for CHM files, Help opened $(cat opened), not the installed help file"
    : >viewer
    press_help "without a viewer for CHM files"
    [ "$(cat opened)" = "file://$data/html/index.html" ] ||
        fail "without a viewer for CHM files, Help opened $(cat opened), not the help's web pages"
    find_window || fail "the window went away after Help"
else
    echo "install_test: Xvfb, xdotool or xprop missing: window icon not checked" >&2
fi
echo "install_test: OK"
