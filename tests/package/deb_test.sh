#!/usr/bin/env bash
# deb_test.sh SOURCE-DIR BUILD-DIR
# Builds the Debian package from the built BUILD-DIR with scripts/package (which fails when lintian
# reports an error) and checks it: its name, its fields and dependencies, its list of files
# (dpkg-deb -c: where each file lies, root-owned, with the modes a package has). Then unpacks it
# into a temporary root (dpkg-deb -x) and runs the program from there: batch mode writes its
# passwords, and under Xvfb the window opens from the unpacked window module.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 SOURCE-DIR BUILD-DIR" >&2; exit 2; }
source_dir=$(realpath "$1")
build=$(realpath "$2")
name=deb_test
source "$source_dir/tests/e2e/x-display.sh"
cd "$tmp"

"$source_dir/scripts/package" "$build" "$tmp" >package.log 2>&1 ||
    fail "scripts/package failed: $(cat package.log)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$tmp/mirrak-generator_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no package $(basename "$deb"); there is: $(ls)"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Version) $(field Architecture)" = \
    "mirrak-generator $version $(dpkg --print-architecture)" ] || fail "wrong package fields"
# The dependencies come from the binaries: the C library, Qt's libraries (of the window module),
# xcb (the display check); the fonts come by name.
depends=$(field Depends)
for dependency in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libxcb1 fonts-liberation; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done

# The list of files: every entry is root's, folders 0755, the program 0755, every other file
# 0644, and the files are exactly these.
listing=$(dpkg-deb -c "$deb")
bad=$(awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
    ($1 ~ /^-/ && $1 != ($6 == "./usr/bin/mirrak-generator" ? "-rwxr-xr-x" : "-rw-r--r--"))' \
    <<<"$listing")
[ -z "$bad" ] || fail "entries with the wrong owner or mode:"$'\n'"$bad"
files=$(awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $6 }' <<<"$listing" | sort)
expected=$(
    printf '%s\n' usr/bin/mirrak-generator usr/lib/mirrak-generator/mirrak-window.so \
        usr/share/applications/mirrak-generator.desktop \
        usr/share/doc/mirrak-generator/changelog.gz usr/share/doc/mirrak-generator/copyright \
        usr/share/icons/hicolor/scalable/apps/mirrak-generator.svg \
        usr/share/man/man1/mirrak-generator.1.gz \
        usr/share/metainfo/example.mirrak.generator.metainfo.xml \
        usr/share/mirrak-generator/help.chm
    for size in 16 24 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${size}x${size}/apps/mirrak-generator.png"
    done
    (cd "$build/html" && ls) | sed 's|^|usr/share/mirrak-generator/html/|'
)
expected=$(sort <<<"$expected")
[ "$files" = "$expected" ] ||
    fail "the package's files differ from the expected ones:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"

# Unpacked into a temporary root, the program runs from there.
dpkg-deb -x "$deb" root
program=$tmp/root/usr/bin/mirrak-generator
"$program" count:3 length:10 out.txt || fail "batch mode from the unpacked package: status $?"
[ "$(stat -c %s out.txt)" -eq 36 ] || fail "batch mode wrote $(stat -c %s out.txt) bytes, not 36"
[ "$("$program" --version)" = "Mirrak Generator ${version%.*}" ] || fail "--version: $("$program" --version)"
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    start_display 800x600x24 wm
    start_program "$program"
    grep -qF " $tmp/root/usr/lib/mirrak-generator/mirrak-window.so" "/proc/$program_pid/maps" ||
        fail "the window did not come from the unpacked module"
    close_program
fi
echo "deb_test: PASS: $(basename "$deb"), $(stat -c %s "$deb") bytes, $(wc -l <<<"$files") files"
grep '^lintian: ' package.log || true
