#!/usr/bin/env bash
# windows_zip_test.sh ZIP RUNNER...
# Unpacks the Windows download into an empty folder and runs the program from it with RUNNER (Wine
# with a prefix of the build's own): three passwords of nine characters, each line ended by "\r\n".
set -euo pipefail
zip=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cmake -E tar xf "$zip"
cd "$(basename "$zip" .zip)"
[ "$(ls)" = "$(printf 'README.txt\nmirrak-generator.exe')" ] || { echo "the zip holds: $(ls)" >&2; exit 1; }
"$@" mirrak-generator.exe count:3 length:9 out.txt
lines=$(LC_ALL=C grep -c $'^[A-Za-z0-9]\\{9\\}\r$' out.txt || true)
[ "$(wc -c <out.txt)" -eq 33 ] && [ "$lines" -eq 3 ] || { od -c out.txt >&2; exit 1; }
echo "the unpacked program wrote 3 lines of 9 characters"
