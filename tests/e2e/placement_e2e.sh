#!/usr/bin/env bash
# The real pemdaro under Xvfb keeps its window's size and place: a window made larger and
# moved comes back so at the next start, the month painted larger with it; a damaged
# settings file starts the window at the default size and place.
# Usage: placement_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace
SETTINGS="$XDG_CONFIG_HOME/pemdaro/pemdaro.ini"

start_pemdaro
check "the main window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }
WIN=$(main_window)
check "the first start is 770 x 452 at 0,0" [ "$(geometry "$WIN")" = "0 0 770 452" ]
# What a user does with a window manager's frame: the window grows and moves.
xdotool windowsize "$WIN" 1155 678
xdotool windowmove "$WIN" 40 30
check "the window is made larger and moved" wait_for 10 \
    eval '[ "$(geometry "$WIN")" = "40 30 1155 678" ]'
# At 1.5 times the month's size the rule under the header (month rows 18 and 19) covers
# window rows 27 to 29 and no more; at x 300 of the window it is black.
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
scaled_rule() {
    pixel_is 340 $((30 + 27)) 0,0,0 && pixel_is 340 $((30 + 29)) 0,0,0 &&
        ! pixel_is 340 $((30 + 26)) 0,0,0 && ! pixel_is 340 $((30 + 30)) 0,0,0
}
check "the month is painted larger" wait_for 10 scaled_rule
"$XCLOSE" "$WIN"
check "closing ends the program" wait_for 10 is_gone "$PEMDARO_PID"
check "the size and place are written" grep -qx "width=1155" "$SETTINGS"

start_pemdaro
check "the second start shows its window" wait_for 60 has_main_window
WIN=$(main_window)
check "the second start comes back at 1155 x 678 at 40,30" \
    [ "$(geometry "$WIN")" = "40 30 1155 678" ]
"$XCLOSE" "$WIN"
wait_for 10 is_gone "$PEMDARO_PID"

printf 'x=abc\ny=0\nwidth=1155\nheight=678\n' >"$SETTINGS"
start_pemdaro
check "a damaged file starts the window" wait_for 60 has_main_window
WIN=$(main_window)
check "at the default size and place" [ "$(geometry "$WIN")" = "0 0 770 452" ]
"$XCLOSE" "$WIN"
wait_for 10 is_gone "$PEMDARO_PID"
finish
