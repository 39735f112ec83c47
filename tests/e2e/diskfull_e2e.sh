#!/usr/bin/env bash
# A data folder on a small tmpfs that fills during the save at close: neither the backup
# taken before the save nor the save fits; the old table stays as it was, no temporary file
# is left, and the program says that the backup and then the save failed.
# Exit 77 (skipped) where no tmpfs can be mounted.
# Usage: diskfull_e2e.sh PEMDARO XCLOSE [KNOCK]
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
make_workspace
if ! mount -t tmpfs -o size=256k tmpfs "$E2E_WORK/data" 2>/dev/null; then
    echo "skipped: cannot mount a tmpfs here"
    rm -rf "$E2E_WORK"
    exit 77
fi
trap 'umount "$E2E_WORK/data" 2>/dev/null; cleanup' EXIT
start_xvfb

{
    printf '# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n'
    printf '# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
    for i in $(seq 3000); do printf '20070305,0930,1000,1,a schedule entry of some length %d,\r\n' "$i"; done
    printf '# [END OF FILE]\r\n'
} >"$E2E_WORK/data/kelnova.txt"
cp "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/before.txt"
check "the table fills more than half the disk" \
    [ "$(stat -c %s "$E2E_WORK/before.txt")" -gt $((128 * 1024)) ]

export XDG_STATE_HOME="$E2E_WORK/state"
start_pemdaro
check "the main window appears" wait_for 60 has_main_window

# OK on day 18 in 予定編集: the backup and then the save fail on the full disk, and each
# says so.
xdotool mousemove 500 $((20 + 27 + 13)) click --repeat 2 --delay 40 1
has_day() { [ -n "$(windows_named "予定編集")" ]; }
check "a double-click opens 予定編集" wait_for 10 has_day
read -r ox oy < <(geometry "$(windows_named "予定編集" | head -n 1)" | awk '{print $1, $2}')
xdotool mousemove $((ox + 276)) $((oy + 337)) click 1
box() { windows_named pemdaro | head -n 1; }
has_box() { [ -n "$(box)" ]; }
check "the backup-failed message box appears" wait_for 20 has_box
first=$(box)
"$XCLOSE" "$first"
another_box() { [ -n "$(box)" ] && [ "$(box)" != "$first" ]; }
check "then the save-failed message box" wait_for 20 another_box
"$XCLOSE" "$(box)"

# Closing the window with that edit unsaved: the save fails again, a copy goes to the
# state folder, and the user is asked what to do. The end of the session (SIGTERM) comes
# while the question is open: it is cancelled, and the program ends.
no_box() { ! has_box; }
wait_for 10 no_box
"$XCLOSE" "$(main_window)"
check "closing asks what to do with the unsaved edit" wait_for 20 has_box
kill -TERM "$PEMDARO_PID"
check "the program ends after SIGTERM" wait_for 20 is_gone "$PEMDARO_PID"
check "the old table is byte-identical" cmp -s "$E2E_WORK/before.txt" "$E2E_WORK/data/kelnova.txt"
check "no temporary file is left" [ "$(ls "$E2E_WORK/data")" = $'kelnova-backup\nkelnova.txt' ]
check "no half-written backup is left" [ -z "$(ls -A "$E2E_WORK/data/kelnova-backup")" ]
copy=$(ls "$E2E_WORK"/state/pemdaro/kelnova-unsaved-*.txt 2>/dev/null | head -n 1)
check "the unsaved table went to the state folder" [ -n "$copy" ]
check "and that copy holds every row" \
    [ "$(grep -c 'a schedule entry of some length' "$copy" 2>/dev/null)" -eq 3000 ]

finish
