#!/usr/bin/env bash
# Another program changes kelnova.txt while Pemdaro runs: a writer process renames a new
# file over it (as editors and sync tools save). The month shows the new row by itself,
# an OK in 予定編集 keeps it, and closing with nothing entered leaves the file as the other
# program wrote it.
# Usage: outside_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
END_MARK=$'# [END OF FILE]\r\n'
this_month=$(date +%Y%m)
printf '%s%s\r\n%s' "$HEADER" "${this_month}18,0900,1000,1,kept," "$END_MARK" \
    >"$E2E_WORK/data/kelnova.txt"

start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }

# The entry places of day 20's row (right column, fourth row: y 101 to 128), where the
# other program's entry goes; summed once the month is painted (the row white, or grey
# when the 20th is over, or today's tint).
row_sum() { import -window root -crop 320x24+428+103 -depth 8 rgb:- 2>/dev/null | md5sum; }
row_painted() {
    case "$(pixel 700 115)" in
        255,255,255 | 220,220,220 | 255,243,176) return 0 ;;
        *) return 1 ;;
    esac
}
check "day 20's row is painted, empty" wait_for 10 row_painted
empty_row=$(row_sum)
has_line() { grep -q "^$1"$'\r'"$" "$E2E_WORK/data/kelnova.txt"; }

# The writer: a separate process writes the new file beside the table and renames it over.
OUTSIDE="${this_month}20,1300,1400,1,outside,"
bash -c 'printf "%s%s\r\n%s\r\n%s" "$1" "$2" "$3" "$4" >"$5.new" && mv "$5.new" "$5"' \
    writer "$HEADER" "${this_month}18,0900,1000,1,kept," "$OUTSIDE" "$END_MARK" \
    "$E2E_WORK/data/kelnova.txt"
written=$(date +%s%N)
row_changed() { [ "$(row_sum)" != "$empty_row" ]; }
check "the month shows the other program's entry by itself" wait_for 10 row_changed
echo "shown after $((($(date +%s%N) - written) / 1000000)) ms (at most that)"

# OK in 予定編集 on day 22, with nothing changed: the other program's row stays.
xdotool mousemove 500 $((20 + 5 * 27 + 13)) click --repeat 2 --delay 40 1
has_day() { [ -n "$(windows_named "予定編集")" ]; }
check "a double-click opens 予定編集" wait_for 10 has_day
read -r ox oy < <(geometry "$(windows_named "予定編集" | head -n 1)" | awk '{print $1, $2}')
xdotool mousemove $((ox + 276)) $((oy + 337)) click 1
no_day() { ! has_day; }
check "OK closes it" wait_for 10 no_day
check "the other program's row is kept after OK" has_line "$OUTSIDE"
check "and the row from before" has_line "${this_month}18,0900,1000,1,kept,"

# Another outside change, then closing with nothing entered: the file stays as written.
bash -c 'printf "%s%s\r\n%s" "$1" "$2" "$3" >"$4.new" && mv "$4.new" "$4"' \
    writer "$HEADER" "${this_month}21,,,1,last word," "$END_MARK" "$E2E_WORK/data/kelnova.txt"
cp "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/theirs.txt"
inode=$(stat -c %i "$E2E_WORK/data/kelnova.txt")
"$XCLOSE" "$(main_window)"
check "closing ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "closing with nothing entered leaves their file byte-identical" \
    cmp -s "$E2E_WORK/theirs.txt" "$E2E_WORK/data/kelnova.txt"
check "and the very same file" [ "$(stat -c %i "$E2E_WORK/data/kelnova.txt")" = "$inode" ]

finish
