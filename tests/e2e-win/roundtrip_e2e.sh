#!/bin/bash
# A table written by the Windows build opens in the Linux build with the same rows, and the
# other way round; the same edits give the same bytes on both.
#
#   tests/e2e-win/roundtrip_e2e.sh [LINUX_BUILD [WIN_BUILD]]
#
# LINUX_BUILD and WIN_BUILD (arguments or environment) are the build folders holding
# table_roundtrip and table_roundtrip.exe; the .exe runs under Wine in WINEPREFIX (by
# default a private prefix in WIN_BUILD). ROWS sets the table's size (100000 by default).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
LINUX_BUILD="$(realpath "${1:-${LINUX_BUILD:-$root/build}}")"
WIN_BUILD="$(realpath "${2:-${WIN_BUILD:-$root/build-win-core}}")"
ROWS="${ROWS:-100000}"
linux="$LINUX_BUILD/table_roundtrip"
win="$WIN_BUILD/table_roundtrip.exe"
for program in "$linux" "$win"; do
    if [ ! -x "$program" ] && [ ! -f "$program" ]; then
        echo "roundtrip_e2e: no $program (build the target table_roundtrip)" >&2
        exit 2
    fi
done

export WINEPREFIX="${WINEPREFIX:-$WIN_BUILD/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
fi

source "$root/tests/e2e/lib.sh"

work="$(mktemp -d /tmp/pemdaro-roundtrip.XXXXXX)"
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The Windows build is given Windows paths (Z:\tmp\...).
w() { winepath -w "$1" 2>/dev/null; }
run_win() { wine "$win" "$@"; }

"$linux" make "$ROWS" "$work/in-linux.txt"
run_win make "$ROWS" "$(w "$work/in-win.txt")"
check "the generated table ($ROWS rows, $(stat -c %s "$work/in-linux.txt") bytes) is the same on both" \
    cmp -s "$work/in-linux.txt" "$work/in-win.txt"

"$linux" edit "$work/in-linux.txt" "$work/linux"
run_win edit "$(w "$work/in-linux.txt")" "$(w "$work/win")"
check "the edited and saved tables are byte-identical" \
    cmp "$work/linux/kelnova.txt" "$work/win/kelnova.txt"

"$linux" dump "$work/in-linux.txt" >"$work/dump-in"
"$linux" dump "$work/linux/kelnova.txt" >"$work/dump-LL"
"$linux" dump "$work/win/kelnova.txt" >"$work/dump-LW"
run_win dump "$(w "$work/linux/kelnova.txt")" >"$work/dump-WL"
run_win dump "$(w "$work/win/kelnova.txt")" >"$work/dump-WW"
check "Linux reads the Windows file as its own" cmp -s "$work/dump-LL" "$work/dump-LW"
check "Windows reads the Linux file as Linux does" cmp -s "$work/dump-LL" "$work/dump-WL"
check "Windows reads its own file as Linux does" cmp -s "$work/dump-LL" "$work/dump-WW"
check "the dump of the input reads as Windows reads it" \
    cmp -s "$work/dump-in" <(run_win dump "$(w "$work/in-linux.txt")")
check "the edits changed the table" bash -c "! cmp -s '$work/dump-in' '$work/dump-LL'"
echo "rows before and after: $(head -n 1 "$work/dump-in") / $(head -n 1 "$work/dump-LL")," \
    "$(grep -c . "$work/dump-LL") dump lines"

table="$work/win/kelnova.txt"
lines=$(tr -cd '\n' <"$table" | wc -c)
returns=$(tr -cd '\r' <"$table" | wc -c)
crlf=$(grep -c $'\r$' "$table" || true)
check "every line of the file ends with CR LF, and there is no other CR or LF ($lines lines)" \
    test "$lines" -gt 0 -a "$lines" = "$returns" -a "$lines" = "$crlf"
check "the file is CP932 throughout" \
    bash -c "set -o pipefail; iconv -f CP932 -t UTF-8 '$table' | tr -d '\r' >'$work/utf8.txt'"
# The texts whose second byte is 0x5C, quoting, the period across the month end, the marks.
check "表計算の見直し is stored as written" grep -q '^20260105,0930,1030,1,表計算の見直し,$' "$work/utf8.txt"
check "ソフトの予約、表示の確認 (0x5C in ソ and 予) is stored as written" \
    grep -q '^20260105,1300,1400,2,ソフトの予約、表示の確認,$' "$work/utf8.txt"
check "a text with a comma is stored quoted" grep -q '^20260106,0800,0900,3,"会議,第2回 ' "$work/utf8.txt"
check "the period is stored for each day from 29 January to 3 February" \
    test "$(grep -c '^202601[23][0-9],,,0,出張（大阪）表敬訪問,$\|^2026020[123],,,0,出張（大阪）表敬訪問,$' "$work/utf8.txt")" = 6
holiday=$(grep '^20260210,,,,,' "$work/utf8.txt" | cut -d, -f6 | tr -d '\r' || true)
leave=$(grep '^20260211,,,,,' "$work/utf8.txt" | cut -d, -f6 | tr -d '\r' || true)
check "the two marks are stored, each with its own value ($holiday, $leave)" \
    test -n "$holiday" -a -n "$leave" -a "$holiday" != "$leave"
check "the day with both marks ticked holds the holiday alone" \
    test "$(grep '^20260212,,,,,' "$work/utf8.txt" | cut -d, -f6 | tr -d '\r')" = "$holiday"
echo "the table: $(stat -c %s "$table") bytes, $lines lines"
finish
