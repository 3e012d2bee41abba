#!/usr/bin/env bash
# Keeps the manual page true to the README: every option and exit status of the README's tables is
# in the page (each status as an entry of EXIT STATUS) and in the usage of --help; the page names
# the version the program prints, and man renders it without a warning.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 README MANUAL-PAGE PROGRAM" >&2; exit 2; }
readme=$1 page=$2 program=$3
fail() { echo "manual_test: FAIL: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 MANWIDTH=80

# The first column of the rows of the table under a README heading.
first_column() {
    awk -v heading="$1" '/^## / { inside = $0 == heading } inside && /^\| / { print }' "$readme" |
        cut -d"|" -f2 | tail -n +2
}
options=$(first_column '## Command line' | grep -o '`[^`]*`' | tr -d '`')
statuses=$(first_column '## Exit statuses' | tr -d ' ')
[ "$(wc -l <<<"$options")" -ge 6 ] && [ "$(wc -l <<<"$statuses")" -ge 6 ] ||
    fail "the README's tables were not found: $options $statuses"

warnings=$(man --warnings -l "$page" 2>&1 >/dev/null) || fail "man failed (Debian package man-db)"
[ -z "$warnings" ] || fail "man warns about the page: $warnings"
# The text as man shows it, with any hyphen the formatter chose as a plain one.
text=$(man -l "$page" 2>/dev/null | sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g')
usage=$("$program" --help)
while IFS= read -r option; do
    grep -qF -- "$option" <<<"$text" || fail "the manual page does not name the option $option"
    grep -qF -- "$option" <<<"$usage" || fail "--help does not name the option $option"
done <<<"$options"
exit_section=$(awk '/^EXIT STATUS/ { inside = 1; next } /^[A-Z]/ { inside = 0 } inside' <<<"$text")
while IFS= read -r status; do
    grep -qE "^ {7}$status( |$)" <<<"$exit_section" || fail "EXIT STATUS has no entry for $status"
    grep -qE "^  $status  " <<<"$usage" || fail "--help does not list the exit status $status"
done <<<"$statuses"
grep -qF "$("$program" --version)" <<<"$(tail -n 1 <<<"$text")" ||
    fail "the manual page's footer does not name the program's version"
echo "manual_test: PASS: $(wc -l <<<"$options") options and $(wc -l <<<"$statuses") exit statuses"
