#!/usr/bin/env bash
# Print preview and the export dialog in the real pemdaro under Xvfb, reached through the
# main window's right-click menu:
# - "印刷プレビュー..." opens the preview, whose page shows the month (the holiday's red
#   number, dark text); once it is closed the main window takes its keys again;
# - "書き出し..." opens its dialog; Enter accepts it, Enter takes the file chooser's proposed
#   name in the workspace, the file holds the table's entry, and the message box that
#   follows closes on Enter;
# - the table is left as it was and the program ends when its window is closed.
# The clock is fixed in December 2020 so that the month shown does not depend on the day
# the test runs.
# Usage: output_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace
export PEMDARO_TEST_CLOCK=20201210100000
SHOTS=${E2E_SHOTS:-}

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
# A holiday mark on Tuesday 8 December 2020 and an entry on the same day.
{
    printf '%s' "$HEADER"
    printf '20201208,0930,1000,1,会議の準備,\r\n20201208,,,,,1\r\n'
    printf '# [END OF FILE]\r\n'
} | iconv -f UTF-8 -t CP932 >"$E2E_WORK/data/kelnova.txt"
cp "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/table.orig"

start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }
WIN=$(main_window)

named() { windows_named "$1" | head -n 1; }
shown() { [ -n "$(named "$1")" ]; }
gone() { ! shown "$1"; }
# Keys go to the window under the pointer (there is no window manager).
point_at() {  # WINDOW: the pointer to its middle
    local x y w h
    read -r x y w h <<<"$(geometry "$1")"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
}
# Pixels of a window as "x y r g b" lines, optionally cropped to "WxH+X+Y" within it.
pixels_of() {
    import -window "$1" ${2:+-crop "$2"} -depth 8 txt:- 2>/dev/null |
        sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p'
}
count_where() {  # CONDITION WINDOW [CROP]: pixels where the awk condition on r, g, b holds
    local condition=$1
    shift
    pixels_of "$@" | awk "{r = \$3; g = \$4; b = \$5} $condition {n++} END {print n + 0}"
}
RED='r > 180 && g < 120 && b < 120'

# The popup menu is a window named after the program, larger than the program's hidden
# 10 x 10 helper windows of that name; so is a message box.
popup() {
    local w
    for w in $(windows_named pemdaro); do
        [ "$(geometry "$w" | awk '{print ($3 > 50)}')" = 1 ] && echo "$w"
    done
    return 0
}
has_popup() { [ -n "$(popup)" ]; }
no_popup() { ! has_popup; }
# Opens the right-click menu over the month and takes the entry UPS steps up from its
# last one (the menu ends "印刷プレビュー...", "印刷...", separator, two more entries).
choose_from_menu() {
    local ups=$1 i
    xdotool mousemove 300 200 click 3
    wait_for 20 has_popup || return 1
    xdotool key End
    for ((i = 0; i < ups; i++)); do xdotool key Up; done
    xdotool key Return
    wait_for 20 no_popup
}

# --- 1. Print preview.
# Day 1 of December 2020 is an ordinary Tuesday: no red in its number's box.
check "day 1 of December shows no red" [ "$(count_where "$RED" "$WIN" 27x27+21+21)" -eq 0 ]
check "the menu opens and closes on 印刷プレビュー..." choose_from_menu 3
check "a window 印刷プレビュー appears" wait_for 30 shown "印刷プレビュー"
PREVIEW=$(named "印刷プレビュー")
# The page's left column holds days 1 to 16. Its red day numbers, told apart by the rows
# they stand in, are Sunday the 6th, the holiday on the 8th and Sunday the 13th; dark (the
# small text is smoothed to grey) text right of the 8th's number is the entry.
page_rows() {
    pixels_of "$PREVIEW" | awk -v half="$(geometry "$PREVIEW" | awk '{print int($3 / 2)}')" '
        {x = $1; y = $2; r = $3; g = $4; b = $5}
        x < half && r > 180 && g < 120 && b < 120 {red[y] = 1; if (x > right[y]) right[y] = x}
        x < half && y > 60 && r + g + b < 450 {ink[y] = ink[y] " " x}
        END {
            for (y = 0; y < 4000; y++) if (y in red) {
                if (n == 0 || y - last > 4) {n++; top[n] = y}
                last = y; bottom[n] = y; if (right[y] > edge[n]) edge[n] = right[y]
            }
            for (y = top[2]; n >= 2 && y <= bottom[2]; y++) {
                # A rule across the column is no text.
                k = split(ink[y], xs, " "); m = 0
                for (i = 1; i <= k; i++) if (xs[i] > edge[2] + 4) m++
                if (m < 100) text += m
            }
            print n, text + 0
        }'
}
# The page is painted once it is rendered: wait for its red numbers, for 30 seconds by the
# clock (one look at the whole window takes far longer than wait_for's 50 ms steps).
page_painted() { [ "$(page_rows | cut -d ' ' -f 1)" -ge 3 ]; }
until_page=$((SECONDS + 30))
until page_painted || [ "$SECONDS" -ge "$until_page" ]; do sleep 0.2; done
read -r REDS TEXT <<<"$(page_rows)"
[ -z "$SHOTS" ] || import -window "$PREVIEW" -depth 8 "$SHOTS/oute2e-preview.png"
check "the page has three red day numbers in its left column (6, 8, 13; found $REDS)" \
    [ "$REDS" -eq 3 ]
check "the holiday's row has the entry's dark text ($TEXT pixels)" [ "$TEXT" -gt 50 ]
"$XCLOSE" "$PREVIEW"
check "the preview closes" wait_for 20 gone "印刷プレビュー"
point_at "$WIN"
# January 2021: 元日 paints day 1's number red. The month gets the focus back just after the
# preview is gone, so a key sent at once may land before it: PageDown is sent again while
# the month has not changed.
jan_first_red() { [ "$(count_where "$RED" "$WIN" 27x27+21+21)" -gt 0 ]; }
page_down() {
    local try
    for try in 1 2 3 4; do
        xdotool key Next
        wait_for 5 jan_first_red && return 0
    done
    return 1
}
check "the main window takes PageDown again (January, 元日 in red)" page_down
# Home comes back to the clock's month, December, however many keys went through.
xdotool key Home

# --- 2. Export.
choose_from_menu 5
check "書き出し... opens the 書き出し dialog" wait_for 30 shown "書き出し"
DIALOG=$(named "書き出し")
[ -z "$SHOTS" ] || import -window "$DIALOG" -depth 8 "$SHOTS/oute2e-export.png"
point_at "$DIALOG"
xdotool key Return
CHOOSER_TITLE="書き出し先を選んでください"
check "Enter accepts it and the file chooser opens" wait_for 30 shown "$CHOOSER_TITLE"
check "the export dialog is gone" wait_for 20 gone "書き出し"
CHOOSER=$(named "$CHOOSER_TITLE")
[ -z "$SHOTS" ] || import -window "$CHOOSER" -depth 8 "$SHOTS/oute2e-chooser.png"
point_at "$CHOOSER"
# The chooser is mapped before its name field takes keys: wait (by the clock) until the
# field shows the proposed name selected, in the selection's blue.
name_selected() { [ "$(count_where 'b > 200 && r < 100 && g > 100 && g < 170' "$CHOOSER" 1000x40+0+0)" -gt 50 ]; }
until_chooser=$((SECONDS + 30))
until name_selected || [ "$SECONDS" -ge "$until_chooser" ]; do sleep 0.2; done
# The chooser proposes "pemdaro-202012.ics" in the folder the program runs in (the work
# folder): Enter takes it. Typing a path into the field raced with GTK's completion of it,
# so nothing is typed; an Enter that came before the field took keys is sent again.
OUT="$E2E_WORK/pemdaro-202012.ics"
accept_chooser() {
    local try
    for try in 1 2 3; do
        xdotool key Return
        wait_for 10 gone "$CHOOSER_TITLE" && return 0
        point_at "$CHOOSER"
    done
    return 1
}
check "Enter in the chooser closes it" accept_chooser
check "the file is written" wait_for 20 test -s "$OUT"
box() { popup | head -n 1; }
has_box() { has_popup; }
check "the message box says the entries went out" wait_for 20 has_box
[ -z "$SHOTS" ] || import -window "$(box)" -depth 8 "$SHOTS/oute2e-done.png"
has_box && point_at "$(box)" && xdotool key Return
no_box() { ! has_box; }
check "Enter closes the message box" wait_for 20 no_box
check "the file holds the entry at 09:30" grep -q "^DTSTART;TZID=Asia/Tokyo:20201208T093000" "$OUT"
check "the file holds the entry's text" grep -q "^SUMMARY:会議の準備" "$OUT"
check "the file holds the holiday" grep -q "^SUMMARY:祝日・特別休日" "$OUT"
check "the file holds those two events and no other" \
    [ "$(grep -c "^BEGIN:VEVENT" "$OUT")" -eq 2 ]

# --- 3. The table is left as it was; closing the window ends the program.
"$XCLOSE" "$WIN"
check "closing ends the program" wait_for 20 is_gone "$PEMDARO_PID"
check "the table is unchanged" cmp -s "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/table.orig"
finish
