#!/usr/bin/env bash
# Two copies on one data file, as two login sessions of one user run them (each its own
# XDG_RUNTIME_DIR, so the single-instance guard does not see the other): the second says
# who holds the file and opens it for viewing only; its edit is refused and its close
# writes nothing, so the first copy's saves survive it.
# Set E2E_SHOTS to a folder to keep screenshots of the message and the view-only window.
# Usage: datalock_e2e.sh PEMDARO XCLOSE
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; cleanup' EXIT
start_xvfb
make_workspace

DATA="$E2E_WORK/data"
LOCK="$DATA/.kelnova.txt.lock"
this_month=$(date +%Y%m)
{
    printf '# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n'
    printf '# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
    printf '%s18,0900,1000,1,kept,\r\n' "$this_month"
    printf '# [END OF FILE]\r\n'
} >"$DATA/kelnova.txt"

shot() {
    [ -n "${E2E_SHOTS:-}" ] || return 0
    mkdir -p "$E2E_SHOTS"
    import -window root -depth 8 "$E2E_SHOTS/$1.png"
}
dialog_named() { windows_named "$1" | head -n 1; }
has_dialog() { [ -n "$(dialog_named "$1")" ]; }
no_dialog() { ! has_dialog "$1"; }
box() { dialog_named pemdaro; }
has_box() { [ -n "$(box)" ]; }
no_box() { ! has_box; }
VIEW_ONLY="Pemdaro（表示のみ）"
viewer() { dialog_named "$VIEW_ONLY"; }
has_viewer() { [ -n "$(viewer)" ]; }
origin() { geometry "$1" | awk '{print $1, $2}'; }
click_in() {
    local id=$1 x=$2 y=$3 ox oy
    [ -n "$id" ] || return 0
    read -r ox oy < <(origin "$id")
    xdotool mousemove $((ox + x)) $((oy + y)) click 1
}
# Double-clicks day 17 + $1 (right column, row $1).
double_click_day() { xdotool mousemove 500 $((20 + $1 * 27 + 13)) click --repeat 2 --delay 40 1; }
has_line() { grep -q "^$1"$'\r'"$" "$DATA/kelnova.txt"; }

# --- The first copy holds the lock: one readable line naming it.
start_pemdaro
FIRST_PID=$PEMDARO_PID
check "the first copy's window appears" wait_for 60 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }
FIRST=$(main_window)
check "the lock file names host, user and process of the first copy" \
    [ "$(cat "$LOCK")" = "host=$(hostname) user=$(id -un) pid=$FIRST_PID" ]
check "the lock file and the table, nothing else" \
    [ "$(ls -A "$DATA" | tr '\n' ' ')" = ".kelnova.txt.lock kelnova.txt " ]

# --- A second copy from another session: the message first, then the view-only window.
cp "$DATA/kelnova.txt" "$E2E_WORK/before.txt"
stamp_before=$(stat -c '%i %Y' "$DATA/kelnova.txt")
mkdir -m 700 "$E2E_WORK/run2"
(cd "$E2E_WORK" && XDG_RUNTIME_DIR="$E2E_WORK/run2" exec "$PEMDARO" \
    >"$E2E_WORK/second.stdout.log" 2>"$E2E_WORK/second.stderr.log") &
SECOND_PID=$!
check "the second copy says the file is in use" wait_for 60 has_box
check "its window waits until the message is read" no_dialog "$VIEW_ONLY"
shot 1-in-use-message
"$XCLOSE" "$(box)"
check "then it opens for viewing only" wait_for 20 has_viewer
check "the first copy still runs" kill -0 "$FIRST_PID"
shot 2-view-only-window

# A double-click on a day refuses instead of opening the day dialog.
double_click_day 3
check "an edit in the view-only copy is refused with a message" wait_for 10 has_box
check "and no day dialog opens" no_dialog "予定編集"
shot 3-edit-refused
"$XCLOSE" "$(box)"
wait_for 10 no_box

# --- The first copy saves an edit while the second still runs.
xdotool windowraise "$FIRST"
double_click_day 2
check "the first copy opens 予定編集" wait_for 10 has_dialog "予定編集"
DAY=$(dialog_named "予定編集")
click_in "$DAY" 282 226
check "and 時間予定記入" wait_for 10 has_dialog "時間予定記入"
TIME=$(dialog_named "時間予定記入")
click_in "$TIME" 192 70   # ９
click_in "$TIME" 385 70   # ３０
click_in "$TIME" 220 70   # １０
click_in "$TIME" 357 70   # ００
click_in "$TIME" 150 215  # the entry text
xdotool type --delay 20 "first"
click_in "$TIME" 304 256
wait_for 10 no_dialog "時間予定記入"
click_in "$DAY" 276 337
wait_for 10 no_dialog "予定編集"
ROW="${this_month}19,0930,1000,1,first,"
saved_row() { has_line "$ROW"; }
check "the first copy saves its edit" wait_for 10 saved_row

# --- Closing the view-only copy writes nothing over it and leaves the lock alone.
cp "$DATA/kelnova.txt" "$E2E_WORK/after-first.txt"
stamp_first=$(stat -c '%i %Y' "$DATA/kelnova.txt")
check "the first copy's save replaced the file" [ "$stamp_first" != "$stamp_before" ]
"$XCLOSE" "$(viewer)"
check "the view-only copy ends at close" wait_for 10 is_gone "$SECOND_PID"
check "without a save-failed message" no_box
check "the file is byte-identical after it" cmp -s "$E2E_WORK/after-first.txt" "$DATA/kelnova.txt"
check "and the very same file" [ "$(stat -c '%i %Y' "$DATA/kelnova.txt")" = "$stamp_first" ]
check "the first copy's lock is left in place" \
    [ "$(cat "$LOCK")" = "host=$(hostname) user=$(id -un) pid=$FIRST_PID" ]

# --- The first copy closes normally: it saves, and its lock goes.
"$XCLOSE" "$FIRST"
check "the first copy ends at close" wait_for 10 is_gone "$FIRST_PID"
check "its rows are kept" saved_row
check "the untouched row too" has_line "${this_month}18,0900,1000,1,kept,"
check "its lock file is removed" [ "$(ls -A "$DATA")" = $'kelnova-backup\nkelnova.txt' ]

# --- A copy killed with -9 leaves its lock; the next start on this host takes it over.
start_pemdaro
wait_for 60 has_main_window
kill -9 "$PEMDARO_PID"
wait_for 5 is_gone "$PEMDARO_PID"
check "a killed copy leaves its lock file" [ -e "$LOCK" ]
start_pemdaro
check "the next start opens normally" wait_for 60 has_main_window
check "and holds the lock itself" \
    [ "$(cat "$LOCK")" = "host=$(hostname) user=$(id -un) pid=$PEMDARO_PID" ]
"$XCLOSE" "$(main_window)"
wait_for 10 is_gone "$PEMDARO_PID"

finish
