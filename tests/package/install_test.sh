#!/usr/bin/env bash
# install_test.sh SOURCE-DIR BUILD-DIR: `cmake --install` into a temporary prefix and the package
# of scripts/package (which fails on a lintian error): their files, validators, modes and
# dependencies; the installed program without its module and with its window, icon and help; the
# unpacked stripped program in batch mode and loading its module.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 SOURCE-DIR BUILD-DIR" >&2; exit 2; }
source_dir=$(realpath "$1")
build=$(realpath "$2")
name=install_test
source "$source_dir/tests/e2e/x-display.sh"
cd "$tmp"
prefix=$tmp/prefix
hex() { head -c "$2" "$1" | od -An -tx1 | tr -d ' \n'; } # the first bytes of a file

cmake --install "$build" --prefix "$prefix" >install.log || fail "cmake --install failed"
sizes="16 24 32 48 64 128 256"
expected=$({
    printf '%s\n' bin/mirrak-generator lib/mirrak-generator/mirrak-window.so \
        share/applications/mirrak-generator.desktop share/man/man1/mirrak-generator.1.gz \
        share/icons/hicolor/scalable/apps/mirrak-generator.svg \
        share/metainfo/example.mirrak.generator.metainfo.xml share/mirrak-generator/help.chm
    for size in $sizes; do echo "share/icons/hicolor/${size}x$size/apps/mirrak-generator.png"; done
    (cd "$build/html" && ls) | sed 's|^|share/mirrak-generator/html/|'
} | sort)
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] ||
    fail "the installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"
data=$prefix/share/mirrak-generator
[ "$(hex "$data/help.chm" 4)" = 49545346 ] || fail "help.chm is no CHM file" # "ITSF"
gzip -t "$prefix/share/man/man1/mirrak-generator.1.gz" || fail "the manual page is no gzip file"
desktop=$prefix/share/applications/mirrak-generator.desktop
grep -qx 'Exec=mirrak-generator' "$desktop" && grep -qx 'Icon=mirrak-generator' "$desktop" ||
    fail "the desktop entry does not start the program with its icon"
# Errors and warnings fail; hints are left out.
desktop-file-validate --no-hints "$desktop" >validate.txt 2>&1 && [ ! -s validate.txt ] ||
    fail "desktop-file-validate: $(cat validate.txt)"
appstreamcli validate --no-net "$prefix/share/metainfo/example.mirrak.generator.metainfo.xml" \
    >appstream.txt 2>&1 || fail "appstreamcli: $(cat appstream.txt)"
for size in $sizes; do # PNG signature, IHDR, then width and height
    [ "$(hex "$prefix/share/icons/hicolor/${size}x$size/apps/mirrak-generator.png" 24)" = \
        "89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size")" ] || fail "no $size x $size PNG icon"
done

# no_window WHY PROGRAM: status 2 and one line on stderr that says WHY. The module is looked for
# before the display is; an X display that nobody serves answers only once the module has loaded.
no_window() {
    local status=0
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:$dead "$2" 2>err.txt >/dev/null || status=$?
    [ "$status" -eq 2 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q "$1" err.txt ||
        fail "$2: status $status, not 2 with one line that says $1: $(cat err.txt)"
}
module=$prefix/lib/mirrak-generator/mirrak-window.so
mv "$module" "$module.away"
no_window 'the window cannot be opened' "$prefix/bin/mirrak-generator"
mv "$module.away" "$module"

# The window, started as the desktop entry starts it; xdg-mime names a viewer for CHM files.
start_display 800x600x24
mkdir elsewhere opener
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened"\n' "$tmp" >opener/xdg-open
printf '#!/bin/sh\n[ "$*" = "query default application/vnd.ms-htmlhelp" ] && echo xchm.desktop\n' >opener/xdg-mime
chmod +x opener/xdg-open opener/xdg-mime
start_program env -C elsewhere PATH="$prefix/bin:$tmp/opener:$PATH" mirrak-generator
grep -qF " $(realpath "$module")" "/proc/$program_pid/maps" ||
    fail "the window did not come from the installed module $module"
# The icon is set while the dialog initialises, which may follow the window's first showing.
has_icon() { xprop -id "$window" _NET_WM_ICON | head -n 3 >icon.txt && grep -q 'Icon (32 x 32)' icon.txt; }
wait_for 10 has_icon || fail "the window has no 32 x 32 icon: $(cat icon.txt)"
# Help's centre is 33 dialog units left of the window's right edge and 92 below its top, a unit
# 1.5 pixels each way (Liberation Sans, 8 points, 96 dpi); no window manager draws a frame.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH - 50)) 138 click 1
wait_for 10 test -s opened || fail "Help asked the desktop to open nothing"
[ "$(cat opened)" = "file://$data/help.chm" ] || fail "Help opened $(cat opened), not help.chm"
find_window || fail "the window went away after Help"

"$source_dir/scripts/package" "$build" "$tmp" >package.log 2>&1 ||
    fail "scripts/package failed: $(cat package.log)"
deb=$tmp/mirrak-generator_$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no package $(basename "$deb"); there is: $(ls)"
# The libraries come from the binaries (xcb from the display check); the fonts come by name.
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libxcb1 fonts-liberation; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
# Every entry root's, folders 0755, the program 0755, every other file 0644.
listing=$(dpkg-deb -c "$deb")
bad=$(awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
    ($1 ~ /^-/ && $1 != ($6 == "./usr/bin/mirrak-generator" ? "-rwxr-xr-x" : "-rw-r--r--"))' \
    <<<"$listing")
[ -z "$bad" ] || fail "entries with the wrong owner or mode:"$'\n'"$bad"
files=$(awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $6 }' <<<"$listing" | sort)
expected=$(printf 'usr/%s\n' $installed share/doc/mirrak-generator/{changelog.gz,copyright} | sort)
[ "$files" = "$expected" ] ||
    fail "the package's files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"
# Unpacked, the stripped program writes three passwords of ten characters with CR LF in batch mode
# without mapping a Qt library, and binds every symbol of its window module.
dpkg-deb -x "$deb" root
program=root/usr/bin/mirrak-generator
LD_DEBUG=files LD_DEBUG_OUTPUT=$tmp/ld "$program" count:3 length:10 out.txt || fail "batch mode: status $?"
[ "$(stat -c %s out.txt)" -eq 36 ] || fail "batch mode wrote $(stat -c %s out.txt) bytes, not 36"
cat ld.* | grep -o 'file=[^ ]*' | sed 's|^file=||; s|.*/||' | sort -u >mapped.txt
grep -q '^libc\.so' mapped.txt || fail "the dynamic linker's list of libraries is missing or empty"
! grep '^libQt6' mapped.txt || fail "batch mode mapped the Qt libraries above"
no_window 'no display for the window' "$program"
echo "install_test: PASS: $(basename "$deb"), $(wc -l <<<"$files") files"
grep '^lintian: ' package.log || true
