#!/usr/bin/env bash
# The real pemdaro under Xvfb: window geometry, one running copy, saving on close and on
# SIGTERM, a data folder that does not exist, and the painted month at chosen pixels.
# Usage: shell_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
END_MARK=$'# [END OF FILE]\r\n'

# --- First start on an empty data folder.
start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { ps -p "$PEMDARO_PID" -o pid,stat,etime,cmd || true; finish; exit 1; }
WIN=$(main_window)
check "client area 770 x 452 at 0,0" [ "$(geometry "$WIN")" = "0 0 770 452" ]
# The toolkit starts without probing the OpenGL drivers (the program draws through cairo).
no_gl_driver() { ! grep -qE '/(libGLX?[_.]|[a-z0-9]+_dri\.so|libLLVM)' "/proc/$PEMDARO_PID/maps"; }
check "no OpenGL driver is loaded" no_gl_driver
is_empty_file() { [ -f "$1" ] && [ ! -s "$1" ]; }
check "the missing table file is created empty" is_empty_file "$E2E_WORK/data/kelnova.txt"

# --- A second start brings the first forward and ends by itself (the limit only stops
# a copy that would stay; starting GTK takes its time on a slow machine).
second_start() {
    (cd "$E2E_WORK" && timeout 30 "$PEMDARO" >/dev/null 2>&1)
}
check "a second start ends by itself" second_start
check "still exactly one window" [ "$(window_count)" -eq 1 ]

# --- Closing the window with nothing entered writes nothing: the table created empty at
# the start stays as it is.
"$XCLOSE" "$WIN"
check "closing ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "the untouched new table is left empty" \
    test -f "$E2E_WORK/data/kelnova.txt" -a ! -s "$E2E_WORK/data/kelnova.txt"
check "no temporary file is left" [ "$(ls "$E2E_WORK/data")" = "kelnova.txt" ]

# --- A month with a Sunday, a period and past days, checked at chosen pixels.
month=$(date +%Y%m)
first_sunday=$(for d in 1 2 3 4 5 6 7; do
    [ "$(date -d "$(date +%Y-%m)-0$d" +%w)" = 0 ] && echo "$d" && break; done)
{
    printf '%s' "$HEADER"
    printf '%s10,,,0,period,\r\n%s11,,,0,period,\r\n%s12,,,0,period,\r\n' "$month" "$month" "$month"
    printf '%s' "$END_MARK"
} >"$E2E_WORK/data/kelnova.txt"
start_pemdaro
wait_for 20 has_main_window
WIN=$(main_window)
# The bar of a period stands on the axis x0 + 37 of the left column (x 57); day 11 is row 10.
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
check "period bar dark grey on its axis" wait_for 5 pixel_is 57 $((20 + 10 * 27 + 13)) 100,100,100
y=$((20 + (first_sunday - 1) * 27))
reds=$(import -window root -crop "27x27+21+$((y + 1))" -depth 8 txt:- 2>/dev/null |
    grep -ci '#FF0000' || true)
check "the first Sunday's number is red" [ "$reds" -gt 0 ]

# Today's row has a tint of its own (255,243,176), at its right end where no text stands.
today=$((10#$(date +%d)))
tx=$((20 + (today - 1) / 16 * 380 + 340))
ty=$((20 + (today - 1) % 16 * 27 + 14))
check "today's row is tinted" pixel_is "$tx" "$ty" 255,243,176

# The keys, sent to the window under the pointer: the day cursor (a blue band along the
# row's left edge) starts on today; PageUp, Home and Down move it; Enter opens the day and
# Ctrl+G the month dialog.
cursor_on() {  # DAY: the cursor's band at the left edge of that day's row
    local d=$1
    pixel_is $((20 + (d - 1) / 16 * 380 + 1)) $((20 + (d - 1) % 16 * 27 + 13)) 0,90,220
}
xdotool mousemove 300 200
check "the day cursor starts on today" wait_for 5 cursor_on "$today"
xdotool key Prior
check "PageUp shows the previous month" wait_for 5 pixel_is 600 10 220,220,220
xdotool key Home
check "Home comes back, the cursor on today" wait_for 5 cursor_on "$today"
last_day=$((10#$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%d)))
if [ "$today" -lt "$last_day" ]; then
    xdotool key Down
    check "Down moves the cursor to the next day" wait_for 5 cursor_on $((today + 1))
fi
named() { [ -n "$(windows_named "$1")" ]; }
xdotool key Return
check "Enter opens 予定編集 for the cursor's day" wait_for 10 named "予定編集"
"$XCLOSE" "$(windows_named "予定編集" | head -n 1)"
unnamed() { ! named "$1"; }
wait_for 10 unnamed "予定編集"
xdotool mousemove 300 210
xdotool key ctrl+g
check "Ctrl+G opens 移動" wait_for 10 named "移動"
"$XCLOSE" "$(windows_named "移動" | head -n 1)"
xdotool key Home

# January: 元日 paints day 1's number red and its name in the row's lower right slot box.
for _ in $(seq $(((13 - 10#$(date +%m)) % 12))); do
    xdotool mousemove 300 200 click 5
done
check "January is shown" wait_for 5 pixel_is 600 10 255,255,255
# Texts are smoothed: the strokes of a small red text are a strong red (#FF2F2F), not #FF0000.
red_in() {
    import -window root -crop "$1" -depth 8 txt:- 2>/dev/null |
        grep -ciE '#FF[0-5][0-9A-F][0-5][0-9A-F]' || true
}
shows_new_year() { [ "$(red_in 27x27+21+21)" -gt 0 ] && [ "$(red_in 161x13+209+35)" -gt 0 ]; }
check "元日: a red number and a red name on day 1" wait_for 5 shows_new_year
for _ in $(seq $(((13 - 10#$(date +%m)) % 12))); do
    xdotool mousemove 300 200 click 4
done

# The previous month is grey throughout, header band included.
xdotool mousemove 300 200 click 4
check "previous month shaded grey" wait_for 5 pixel_is 300 40 220,220,220
check "previous month header band grey" pixel_is 600 10 220,220,220

# --- SIGTERM takes the close path (nothing was entered, so nothing is written).
kill -TERM "$PEMDARO_PID"
check "SIGTERM ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "SIGTERM leaves the table with its rows" grep -q "^${month}11,,,0,period,"$'\r'"$" "$E2E_WORK/data/kelnova.txt"

# --- kill -9 leaves no stale signal: the next start runs normally.
start_pemdaro
wait_for 20 has_main_window
kill -9 "$PEMDARO_PID"
wait_for 5 is_gone "$PEMDARO_PID"
start_pemdaro
check "a start after kill -9 shows the window" wait_for 20 has_main_window
kill -9 "$PEMDARO_PID"
wait_for 5 is_gone "$PEMDARO_PID"

# --- DATA_DIR ending in 表 (CP932 0x95 0x5C: its second byte is a backslash) and no
# separator: the folder is used as it is named, with '/' appended.
mkdir "$E2E_WORK/表"
printf 'DATA_DIR=%s/\x95\x5c\r\n' "$E2E_WORK" >"$E2E_WORK/kelnova.ini"
start_pemdaro
wait_for 60 has_main_window
"$XCLOSE" "$(main_window)"
wait_for 10 is_gone "$PEMDARO_PID"
check "DATA_DIR ending in 表 keeps the table inside that folder" \
    [ -f "$E2E_WORK/表/kelnova.txt" ]

# --- A data folder that does not exist: the message, no window, no file.
printf 'DATA_DIR=%s/missing/\r\n' "$E2E_WORK" >"$E2E_WORK/kelnova.ini"
listing() { find "$E2E_WORK" -path "$E2E_WORK/run" -prune -o ! -name '*.log' -print | sort; }
before=$(listing)
start_pemdaro
box() { windows_named pemdaro | head -n 1; }
has_box() { [ -n "$(box)" ]; }
check "the cannot-create message box appears" wait_for 20 has_box
no_main_window() { [ "$(window_count)" -eq 0 ]; }
check "no main window with it" no_main_window
"$XCLOSE" "$(box)"
check "dismissing it ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "nothing was created" [ "$before" = "$(listing)" ]

finish
