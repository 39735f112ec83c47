#!/usr/bin/env bash
# Reminders end to end, against a notification service on a private session bus (the
# notification_daemon template of python-dbusmock, which logs every call):
# - an entry of today due within the lead time is announced by Notify at normal urgency,
#   its start and text as the summary, its end and the day's period as the body, with the
#   actions "開く" and "5分後"; an entry with only an end time, and one not due yet, are not;
# - the action "開く" opens 予定編集 for that day: an entry added there is stored on that day
#   and, being due too, announced at once;
# - another program adding a due entry to the file gets it announced; nothing is announced
#   twice;
# - with a bus but no notification service, and with no bus at all, the program runs and
#   says nothing about it.
# The program's clock is set through PEMDARO_TEST_CLOCK to a fixed morning, so that nothing
# depends on the hour the test runs at.
# Usage: remind_e2e.sh PEMDARO XCLOSE
if [ -z "${REMIND_E2E_BUS:-}" ]; then
    # A private session bus for the whole test, ended with it.
    exec env REMIND_E2E_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
PEMDARO=$(realpath "$1")
XCLOSE=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
MOCK_PID=""
trap 'cat "$E2E_WORK"/*.log 2>/dev/null; [ -z "$MOCK_PID" ] || kill "$MOCK_PID"; cleanup' EXIT
start_xvfb
make_workspace
# No accessibility bus on the test's private bus: its warning would hide ours.
export NO_AT_BRIDGE=1
export PEMDARO_TEST_CLOCK=20300612100000
printf 'REMIND_MINUTES=10\r\n' >>"$E2E_WORK/kelnova.ini"

TABLE="$E2E_WORK/data/kelnova.txt"
HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
END_MARK=$'# [END OF FILE]\r\n'
MEETING=$(printf '\x92\xe8\x97\xe1\x89\xef\x8b\x63')  # 定例会議 in CP932
TRIP=$(printf '\x8f\x6f\x92\xa3')                      # 出張
ROWS=("20300612,1005,1030,1,$MEETING," "20300612,1100,1130,2,later,"
    "20300612,,1200,3,endonly," "20300612,,,0,$TRIP," "20300611,1005,1030,1,yesterday,")
write_table() {  # rows...: written beside the table and renamed over it
    { printf '%s' "$HEADER"; printf '%s\r\n' "$@"; printf '%s' "$END_MARK"; } >"$TABLE.new"
    mv "$TABLE.new" "$TABLE"
}
write_table "${ROWS[@]}"

# Calls the program made; a Notify line of the log runs on over the lines of its body.
LOG="$E2E_WORK/notify.log"
notify_count() { grep -c ' Notify "Pemdaro" ' "$LOG" 2>/dev/null || true; }
notifies() { [ "$(notify_count)" -ge "$1" ]; }
# The Notify call with this summary, with its body lines joined by "|".
notify_of() {
    awk -v s="\"$1\"" 'index($0, " Notify \"Pemdaro\" ") { on = index($0, s) > 0 }
        on { printf "%s|", $0 }' "$LOG"
}
bus_has() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}

# 1. A bus without a notification service: the reminder goes nowhere, silently.
start_pemdaro
check "without a notification service the main window appears" wait_for 60 has_main_window
sleep 1
"$XCLOSE" "$(main_window)"
check "and the program ends when closed" wait_for 10 is_gone "$PEMDARO_PID"
check "and says nothing on stderr" [ ! -s "$E2E_WORK/stderr.log" ]

# 2. The service.
/usr/bin/python3 -m dbusmock --template notification_daemon -l "$LOG" \
    -p '{"capabilities": "body body-markup actions"}' >"$E2E_WORK/mock.log" 2>&1 &
MOCK_PID=$!
check "the notification service is on the bus" wait_for 10 bus_has org.freedesktop.Notifications
start_pemdaro
check "the main window appears" wait_for 60 has_main_window
check "the entry due within ten minutes is announced" wait_for 10 notifies 1
meeting=$(notify_of "10:05 定例会議")
echo "Notify: ${meeting:0:300}"
check "its summary is its start and text" [ -n "$meeting" ]
check "its body is its end and the day's period" \
    grep -qF '"終了 10:30|期間予定 出張"' <<<"$meeting"
check "at normal urgency" grep -qF '"urgency": 1' <<<"$meeting"
check "with the actions 開く and 5分後" \
    grep -qE '\["[0-9]+", "開く", "[0-9]+", "5分後"\]' <<<"$meeting"
sleep 2
check "the entry not due yet, the one without a start, yesterday's: nothing" \
    [ "$(notify_count)" -eq 1 ]

# "開く": the service reports the action; 予定編集 opens on 12 June 2030.
open_key=$(grep -oE '\["[0-9]+", "開く"' <<<"$meeting" | grep -oE '[0-9]+')
# The service numbers its notifications from 1: this is its first.
id=1
gdbus call --session --dest org.freedesktop.Notifications \
    --object-path /org/freedesktop/Notifications --method org.freedesktop.DBus.Mock.EmitSignal \
    org.freedesktop.Notifications ActionInvoked us "[<uint32 $id>, <'$open_key'>]" >/dev/null
has_dialog() { [ -n "$(windows_named "$1")" ]; }
no_dialog() { ! has_dialog "$1"; }
check "開く opens 予定編集" wait_for 10 has_dialog "予定編集"
[ -z "${E2E_SHOTS:-}" ] || { mkdir -p "$E2E_SHOTS"; import -window root -depth 8 "$E2E_SHOTS/remind-open.png"; }

# An entry from 10:00 to 10:30 added there with the quick picks: stored on that day, and due.
click_in() {
    local ox oy
    read -r ox oy < <(geometry "$1" | awk '{print $1, $2}')
    xdotool mousemove $((ox + $2)) $((oy + $3)) click 1
}
DAY=$(windows_named "予定編集" | head -n 1)
click_in "$DAY" 282 226  # 追加...
check "追加... opens 時間予定記入" wait_for 10 has_dialog "時間予定記入"
TIME=$(windows_named "時間予定記入" | head -n 1)
click_in "$TIME" 220 70  # １０
click_in "$TIME" 357 70  # ００
click_in "$TIME" 220 70  # １０
click_in "$TIME" 385 70  # ３０
click_in "$TIME" 150 215
xdotool type --delay 20 "added"
click_in "$TIME" 304 256
check "時間予定記入 closes on OK" wait_for 10 no_dialog "時間予定記入"
click_in "$DAY" 276 337
check "予定編集 closes on OK" wait_for 10 no_dialog "予定編集"
added() { grep -qE '^20300612,1000,1030,[1-4],added,'$'\r''$' "$TABLE"; }
check "the entry is stored on the reminder's day" wait_for 5 added
check "the entry added in the dialog is announced" wait_for 10 notifies 2
check "as 10:00 added" [ -n "$(notify_of "10:00 added")" ]

# Another program puts a due entry in place of the one with only an end time, and keeps the
# rest as it is.
# (The dialog's OK may have stored the day's entries in other slots.)
slot=$(grep -aoE '^20300612,,1200,[1-4],endonly,' "$TABLE" | cut -d, -f4)
LC_ALL=C grep -avE '^(# |20300612,,1200,[1-4],endonly,)' "$TABLE" | tr -d '\r' >"$E2E_WORK/rows"
mapfile -t kept <"$E2E_WORK/rows"
write_table "${kept[@]}" "20300612,1008,,${slot:-3},outside,"
check "an entry another program adds is announced" wait_for 10 notifies 3
check "as 10:08 outside, with no end and the period" \
    grep -qF '"期間予定 出張"' <<<"$(notify_of "10:08 outside")"
sleep 3
check "nothing is announced twice" [ "$(notify_count)" -eq 3 ]
"$XCLOSE" "$(main_window)"
check "the program ends when closed" wait_for 10 is_gone "$PEMDARO_PID"
echo "--- the service's log of the program's Notify calls (hints cut)"
grep -E ' Notify "Pemdaro" |^[^0-9]' "$LOG" | sed -E 's/\{.*("urgency": [0-9]+).*\}/{... \1 ...}/'

# 3. No bus at all: the program neither looks for one nor has one started for the display
# (the D-Bus library would start one that outlives it, and record it in the user's home).
kill "$MOCK_PID"
MOCK_PID=""
bus_address=$DBUS_SESSION_BUS_ADDRESS
unset DBUS_SESSION_BUS_ADDRESS
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
start_pemdaro
export DBUS_SESSION_BUS_ADDRESS=$bus_address
check "without a bus the main window appears" wait_for 60 has_main_window
sleep 2
check "no bus is started for the display" [ ! -e "$HOME/.dbus" ]
"$XCLOSE" "$(main_window)"
check "and the program ends when closed" wait_for 10 is_gone "$PEMDARO_PID"
check "and says nothing on stderr" [ ! -s "$E2E_WORK/stderr.log" ]

finish
