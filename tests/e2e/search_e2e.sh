#!/usr/bin/env bash
# The search window in the real pemdaro under Xvfb: Ctrl+F opens it beside the main window
# (which runs modal), and the keys typed reach it: a text that matches nothing opens no
# day on Enter, a text that matches opens "予定編集" on Enter. The main window keeps its
# keys and its close box meanwhile.
# Usage: search_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
END_MARK=$'# [END OF FILE]\r\n'
{
    printf '%s' "$HEADER"
    printf '20080308,0930,1000,1,Dentist,\r\n20150612,1000,1100,1,MTG checkup,\r\n'
    printf '%s' "$END_MARK"
} >"$E2E_WORK/data/kelnova.txt"
BEFORE=$(cat "$E2E_WORK/data/kelnova.txt")

start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }
WIN=$(main_window)

search_window() { windows_named "検索" | head -n 1; }
has_search_window() { [ -n "$(search_window)" ]; }
has_day_dialog() { [ -n "$(windows_named "予定編集")" ]; }

# Keys go to the window under the pointer (there is no window manager).
xdotool mousemove 300 200
xdotool key ctrl+f
check "Ctrl+F opens the search window" wait_for 20 has_search_window
read -r sx sy sw sh <<<"$(geometry "$(search_window)")"
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2))

# Nothing matches: Enter opens nothing. Were the keys going to the main window instead,
# its Enter would open the day under its cursor.
xdotool type --delay 50 'qqq'
xdotool key Return
no_day_dialog_opens() { ! wait_for 5 has_day_dialog; }
check "Enter on a text that matches nothing opens no day" no_day_dialog_opens
has_day_dialog && xdotool key Escape

xdotool key BackSpace BackSpace BackSpace
xdotool type --delay 50 'checkup'
xdotool key Return
check "Enter on a matching text opens 予定編集" wait_for 20 has_day_dialog
xdotool key Escape
no_day_dialog() { ! has_day_dialog; }
check "Escape closes it" wait_for 20 no_day_dialog

# The main window still takes its keys while the search window is open.
check "the search window is still shown" has_search_window
xdotool mousemove 300 200
xdotool key Return
check "Enter in the main window opens its day" wait_for 20 has_day_dialog
xdotool key Escape
check "Escape closes that too" wait_for 20 no_day_dialog

"$XCLOSE" "$WIN"
check "closing ends the program" wait_for 20 is_gone "$PEMDARO_PID"
check "nothing was written" [ "$(cat "$E2E_WORK/data/kelnova.txt")" = "$BEFORE" ]
finish
