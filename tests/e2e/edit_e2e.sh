#!/usr/bin/env bash
# Editing a day end to end with the mouse: wheel and margin clicks change the month, a
# double-click opens "予定編集", "追加..." opens "時間予定記入", four quick picks and a
# typed text with OK twice store the row at once, and a kill -9 once it is stored loses
# nothing; an OK and at once SIGTERM or the close, on a table of a million rows, keep it;
# SIGTERM and SIGHUP with one or both dialogs open save the table and end the program.
# Usage: edit_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace

start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }

# A dialog's client origin, then a click at dialog pixel (x, y) inside it.
origin() { geometry "$1" | awk '{print $1, $2}'; }
click_in() {
    local id=$1 x=$2 y=$3 ox oy
    [ -n "$id" ] || return 0
    read -r ox oy < <(origin "$id")
    xdotool mousemove $((ox + x)) $((oy + y)) click 1
}
dialog_named() { windows_named "$1" | head -n 1; }
has_dialog() { [ -n "$(dialog_named "$1")" ]; }
header_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }

# Month navigation: the left margin goes back, the right margin forward, the wheel too.
this_month=$(date +%Y%m)
xdotool mousemove 10 200 click 1
check "a click in the left margin shows a past month (grey)" wait_for 5 header_is 600 10 220,220,220
xdotool mousemove 760 200 click 1
check "a click in the right margin comes back (white)" wait_for 5 header_is 600 10 255,255,255
xdotool mousemove 600 200 click 4
check "the wheel away from the user shows the previous month" wait_for 5 header_is 600 10 220,220,220
xdotool mousemove 600 200 click 5
check "the wheel towards the user comes back" wait_for 5 header_is 600 10 255,255,255

# Double-clicks day 17 + $1 (right column, row $1); sets DAY to the dialog.
open_day() {
    xdotool mousemove 500 $((20 + $1 * 27 + 13)) click --repeat 2 --delay 40 1
    check "a double-click on day $((17 + $1)) opens 予定編集" wait_for 10 has_dialog "予定編集"
    DAY=$(dialog_named "予定編集")
}
# Opens day 17 + $1 and presses 追加...; sets DAY and TIME to the two dialogs.
open_time_entry() {
    open_day "$1"
    click_in "$DAY" 282 226
    check "追加... opens 時間予定記入" wait_for 10 has_dialog "時間予定記入"
    TIME=$(dialog_named "時間予定記入")
}
no_dialog() { ! has_dialog "$1"; }
# OK in 時間予定記入, then OK in 予定編集.
confirm_both() {
    click_in "$TIME" 304 256
    check "the time entry dialog closes on OK" wait_for 10 no_dialog "時間予定記入"
    click_in "$DAY" 276 337
    check "the day dialog closes on OK" wait_for 10 no_dialog "予定編集"
}
# In 時間予定記入: 9:30 to 10:00 by the quick picks, and the text $1 typed.
enter_0930_to_1000() {
    local ox oy
    click_in "$TIME" 192 70  # ９
    click_in "$TIME" 385 70  # ３０
    click_in "$TIME" 220 70  # １０
    click_in "$TIME" 357 70  # ００
    read -r ox oy < <(origin "$TIME")
    xdotool mousemove $((ox + 150)) $((oy + 215))
    xdotool type --delay 20 "$1"
}
# Whether the table holds the line $1 (its CR LF end included).
has_line() { grep -q "^$1"$'\r'"$" "$E2E_WORK/data/kelnova.txt"; }

# Add a timed entry to day 20 with the quick-pick buttons.
open_time_entry 3
enter_0930_to_1000 "text"
confirm_both
ROW="${this_month}20,0930,1000,1,text,"
has_row() { has_line "$ROW"; }
check "the row is saved at once, before the window closes" wait_for 5 has_row

# A time typed and confirmed with OK at once, without leaving its edit, is stored as the
# time it means: "17:5" in the end edit becomes 1705, not a broken value.
open_time_entry 4
click_in "$TIME" 150 215  # the entry text
xdotool type --delay 20 "late"
click_in "$TIME" 135 48   # the end time
xdotool type --delay 20 "17:5"
confirm_both
TYPED="${this_month}21,,1705,1,late,"
has_typed_row() { has_line "$TYPED"; }
check "a time typed and confirmed at once is stored as HHMM" wait_for 5 has_typed_row

# A kill -9 right after the OK loses nothing, and the next start reads the row back.
kill -9 "$PEMDARO_PID"
wait_for 5 is_gone "$PEMDARO_PID"
check "the row survives kill -9" has_row
check "no temporary file is left" [ "$(ls "$E2E_WORK/data")" = "kelnova.txt" ]
start_pemdaro
wait_for 60 has_main_window
"$XCLOSE" "$(main_window)"
check "closing ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "closing keeps the row" has_row
check "closing keeps the typed row" has_typed_row

# SIGTERM or SIGHUP while "予定編集" is open, or "時間予定記入" over it too: the dialogs are
# cancelled and the program ends. The entry confirmed before was saved at its OK, so the
# end has nothing left to write: the table stays the file that OK saved.
table_inode() { stat -c %i "$E2E_WORK/data/kelnova.txt"; }
ends_whole() { [ "$(tail -n 1 "$E2E_WORK/data/kelnova.txt")" = "# [END OF FILE]"$'\r' ]; }
lacks_text() { ! grep -q "$1" "$E2E_WORK/data/kelnova.txt"; }
signal_with_dialogs_open() {  # SIGNAL DIALOGS ROW: confirms an entry in ROW, opens ROW + 1
    local signal=$1 dialogs=$2 row=$3 open="予定編集"
    start_pemdaro
    check "the main window appears (before SIG$signal)" wait_for 60 has_main_window
    open_time_entry "$row"
    enter_0930_to_1000 "$signal"
    confirm_both
    local confirmed="${this_month}$((17 + row)),0930,1000,1,$signal,"
    check "the entry confirmed before SIG$signal is saved" wait_for 5 has_line "$confirmed"
    if [ "$dialogs" -eq 3 ]; then
        # A refusal message box over 時間予定記入 over 予定編集: a start time of 25:00.
        open_time_entry $((row + 1))
        read -r ox oy < <(origin "$TIME")
        xdotool mousemove $((ox + 50)) $((oy + 47)) click 1  # the start time
        xdotool type --delay 20 "25:00"
        click_in "$TIME" 150 215
        xdotool type --delay 20 "open$signal"
        click_in "$TIME" 304 256
        has_box() { [ -n "$(windows_named pemdaro)" ]; }
        check "a message box refuses 25:00 over both dialogs" wait_for 10 has_box
        open="予定編集, 時間予定記入 and a message box"
    elif [ "$dialogs" -eq 2 ]; then
        open_time_entry $((row + 1))
        click_in "$TIME" 150 215  # the entry text, left unconfirmed
        open="予定編集 and 時間予定記入"
    else
        open_day $((row + 1))
        click_in "$DAY" 150 144  # the period text, left unconfirmed
    fi
    [ "$dialogs" -eq 3 ] || xdotool type --delay 20 "open$signal"
    local inode
    inode=$(table_inode)
    kill "-$signal" "$PEMDARO_PID"
    check "SIG$signal with $open open ends the program" wait_for 10 is_gone "$PEMDARO_PID"
    check "SIG$signal leaves the table OK saved in place" [ "$(table_inode)" = "$inode" ]
    check "the saved table ends with its end mark" ends_whole
    check "the saved table holds the entry confirmed before" has_line "$confirmed"
    check "the rows of earlier starts are kept" has_row
    check "the cancelled dialogs' text is not saved" lacks_text "open$signal"
    check "no temporary file is left after SIG$signal" \
        [ "$(ls "$E2E_WORK/data")" = $'kelnova-backup\nkelnova.txt' ]
    if ! is_gone "$PEMDARO_PID"; then
        kill -9 "$PEMDARO_PID"
        wait_for 5 is_gone "$PEMDARO_PID"
    fi
}
signal_with_dialogs_open TERM 1 5
signal_with_dialogs_open HUP 2 7
signal_with_dialogs_open TERM 2 9
signal_with_dialogs_open TERM 3 11

# An OK, and at once SIGTERM or the window's close, while its save may still run beside the
# window: a million rows of past years make the save take about 100 ms, so that the end
# often comes while it runs (not always: nothing here holds the save). Either way the
# program ends with the entry in the table, whole.
{
    head -n 3 "$E2E_WORK/data/kelnova.txt"
    awk 'BEGIN { for (i = 0; i < 1000000; i++)
                     printf "%04d%02d%02d,0900,1000,%d,past %d,\r\n",
                            1970 + int(i / 40000), int(i / 3334) % 12 + 1, i % 28 + 1, i % 4 + 1, i }'
    tail -n +4 "$E2E_WORK/data/kelnova.txt"
} >"$E2E_WORK/big.txt"
mv "$E2E_WORK/big.txt" "$E2E_WORK/data/kelnova.txt"
ok_then_end() {  # HOW ROW
    local how=$1 row=$2 tries=2000
    start_pemdaro
    check "the main window appears (a million rows, before $how)" wait_for 60 has_main_window
    open_time_entry "$row"
    enter_0930_to_1000 "end$how"
    click_in "$TIME" 304 256
    check "the time entry dialog closes on OK" wait_for 10 no_dialog "時間予定記入"
    click_in "$DAY" 276 337
    # No pause: the end follows the day dialog's OK as closely as it can be seen.
    while has_dialog "予定編集" && [ $((tries -= 1)) -gt 0 ]; do :; done
    if [ "$how" = TERM ]; then
        kill -TERM "$PEMDARO_PID"
    else
        "$XCLOSE" "$(main_window)"
    fi
    check "$how right after the OK ends the program" wait_for 20 is_gone "$PEMDARO_PID"
    check "$how right after the OK keeps the entry" \
        has_line "${this_month}$((17 + row)),0930,1000,1,end$how,"
    check "the table after $how ends with its end mark" ends_whole
    check "the table after $how keeps the million rows" \
        [ "$(grep -c ',past ' "$E2E_WORK/data/kelnova.txt")" = 1000000 ]
    check "no temporary file is left after $how" \
        [ "$(ls "$E2E_WORK/data")" = $'kelnova-backup\nkelnova.txt' ]
    if ! is_gone "$PEMDARO_PID"; then
        kill -9 "$PEMDARO_PID"
        wait_for 5 is_gone "$PEMDARO_PID"
    fi
}
ok_then_end TERM 6
ok_then_end close 8

finish
