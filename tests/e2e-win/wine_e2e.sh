#!/usr/bin/env bash
# pemdaro.exe under Wine on a private Xvfb, from a folder of its own with kelnova.ini beside
# it and the data in a folder with a Japanese name: the month is drawn with a Japanese
# face, the system menu's "ﾊﾞｰｼﾞｮﾝ情報 (A)..." opens the About box, a day is edited from the
# keyboard through "予定編集" and "時間予定記入" and the rows are in the table at once (CP932,
# CR LF), a second start brings the first window to the front and ends with status 0, and
# the end of the session saves and ends the first copy.
#
# Usage: wine_e2e.sh [PEMDARO_EXE [WINTOP_EXE]]   (default: build-win/pemdaro.exe and
#        build-win/wintop.exe, which tells what Windows holds about the windows)
# SHOTS=folder keeps screenshots of the month and both dialogs there.
# Exit status 0 when every check passed, 77 when Wine, Xvfb or xdotool are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
EXE="$(realpath "${1:-$root/build-win/pemdaro.exe}")"
WINTOP="$(realpath "${2:-$(dirname "$EXE")/wintop.exe}")"
for tool in wine wineserver Xvfb xdotool xwininfo import iconv; do
    command -v "$tool" >/dev/null || { echo "wine_e2e: $tool is missing" >&2; exit 77; }
done
PEMDARO="$EXE"
source "$root/tests/e2e/lib.sh"

# A prefix of the build folder's own, made once; the user's own Wine setup is never seen.
export WINEPREFIX="$(dirname "$EXE")/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
WORK=""
finish_up() {
    wineserver -k 2>/dev/null || true
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
    [ -n "$WORK" ] && rm -rf "$WORK"
    return 0
}
trap finish_up EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
fi
wineserver -k 2>/dev/null || true  # no copy of an earlier run, no stale shared block
start_xvfb

# The program's folder: the exe and kelnova.ini; the data in "データ" beside them.
WORK=$(mktemp -d /tmp/pemdaro-wine.XXXXXX)
cp "$EXE" "$WORK/pemdaro.exe"
mkdir "$WORK/データ"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
printf 'DATA_DIR=%s\\\r\n' "$(winpath "$WORK/データ")" | iconv -f UTF-8 -t CP932 >"$WORK/kelnova.ini"
TABLE="$WORK/データ/kelnova.txt"
export PEMDARO_TEST_CLOCK=202612071000  # today is Monday 7 December 2026

start_copy() {  # the program from its folder in the background: PID
    (cd "$WORK" && exec wine "$WORK/pemdaro.exe" >"$WORK/out$1.log" 2>&1) &
    PID=$!
}
dialog_named() { windows_named "$1" | head -n 1; }
# Wine without a window manager does not always give the keyboard back to the window
# under a closed one: the keys of a step go to the window they are meant for.
focus_on() { xdotool windowfocus --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" || true; sleep 0.3; }
click_in() {  # WINDOW X Y: a click at the window's own pixel (x, y)
    local x y
    read -r x y _ < <(geometry "$1")
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
}
# True when no window of that title shows up within $1 seconds.
no_dialog_for() { ! wait_for "$1" has_dialog "$2"; }
has_dialog() { [ -n "$(dialog_named "$1")" ]; }
no_dialog() { ! has_dialog "$1"; }
shot() { [ -z "${SHOTS:-}" ] || import -window root -depth 8 "$SHOTS/wingui-$1.png"; }
# Pixels of a window that are text-dark (all channels below 100) in the rectangle
# x y w h of its own coordinates.
dark_pixels() {
    local x y
    read -r x y _ < <(geometry "$1")
    import -window root -crop "${4}x${5}+$((x + $2))+$((y + $3))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' |
        awk '$1 < 100 && $2 < 100 && $3 < 100 {n++} END {print n + 0}'
}

# A command this build leaves out is refused with status 2 before any window; one it has
# is listed by --help.
unavailable() {  # OPTION ARGS...
    local err status=0
    err=$(cd "$WORK" && wine "$WORK/pemdaro.exe" "$@" 2>&1 >/dev/null) || status=$?
    [ "$status" -eq 2 ] && [ "$(printf '%s' "$err" | tr -d '\r')" = "pemdaro: $1 is not available in this build" ]
}
help=$(cd "$WORK" && wine "$WORK/pemdaro.exe" --help | tr -d '\r')
for command in "--export ics out.ics" "--pdf 2026-12 out.pdf"; do
    set -- $command
    if ! grep -q -- "pemdaro $1 " <<<"$help"; then
        check "$1 answers that it is not available in this build, status 2" unavailable $command
        check "$1 wrote nothing" test ! -e "$WORK/$3"
    fi
done

start_copy 1
FIRST=$PID
check "the month window appears" wait_for 120 has_main_window
[ "$E2E_FAILURES" -eq 0 ] || { finish; exit 1; }
MAIN=$(main_window)

# The month's title "2026年 12月" (above the first line of days) is inked, and the faces
# found for "ＭＳ ゴシック" and "ＭＳ Ｐゴシック" are Japanese ones.
inked() { [ "$(dark_pixels "$MAIN" 0 0 200 18)" -gt 150 ]; }
check "the month's Japanese title is drawn" wait_for 20 inked
# The faces found are kept in font-sizes.txt of the user's folder (%APPDATA%\Pemdaro).
USERDIR=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Pemdaro 2>/dev/null | head -n 1)
japanese_face() {
    USERDIR=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Pemdaro | head -n 1)
    grep -aqE "^(ＭＳ (Ｐ)?ゴシック|IPAP?Gothic|IPAexGothic|Noto Sans (Mono )?CJK JP|VL P?Gothic|TakaoP?Gothic)	" \
        "$USERDIR/font-sizes.txt"
}
check "the month's fonts are Japanese faces" wait_for 20 japanese_face
shot month

# The system menu (Alt+Space) ends with "ﾊﾞｰｼﾞｮﾝ情報 (A)...", which opens the About box.
# (Wine's own "About Wine" takes the letter A before it, so End picks the entry.)
focus_on "$MAIN"
xdotool key alt+space
# The menu is a shown window of the program without a title, taller than a line.
menu_open() {
    local w
    for w in $(LC_ALL=C.UTF-8 xwininfo -root -children |
        awk '/\(has no name\): \("pemdaro.exe"/ {split($(NF-1), s, "[x+]"); if (s[2] > 100) print $1}'); do
        xwininfo -id "$w" | grep -q 'Map State: IsViewable' && return 0
    done
    return 1
}
check "Alt+Space opens the system menu" wait_for 20 menu_open
shot menu
xdotool key End Return
check "ﾊﾞｰｼﾞｮﾝ情報 (A)... in the system menu opens the About box" wait_for 20 has_dialog "ﾊﾞｰｼﾞｮﾝ情報"
shot about
focus_on "$(dialog_named "ﾊﾞｰｼﾞｮﾝ情報")"
xdotool key Escape
check "Escape closes the About box" wait_for 20 no_dialog "ﾊﾞｰｼﾞｮﾝ情報"

# Enter opens today in "予定編集": the holiday mark (Alt+H), the period text, then Alt+A
# opens "時間予定記入" for a timed entry, which Enter confirms; 予定編集's focus is then
# back on 追加, so its OK is clicked.
focus_on "$MAIN"
xdotool key Return
check "Enter on today opens 予定編集 (and nothing over it)" wait_for 20 has_dialog "予定編集"
DAY=$(dialog_named "予定編集")
check "no time entry dialog opens with it" no_dialog_for 3 "時間予定記入"
focus_on "$DAY"
xdotool key alt+h Tab Tab
xdotool type --delay 60 "出張"
shot day
xdotool key alt+a
check "Alt+A (追加) opens 時間予定記入" wait_for 20 has_dialog "時間予定記入"
TIME=$(dialog_named "時間予定記入")
focus_on "$TIME"
xdotool type --delay 60 "09:30"
xdotool key Tab
xdotool type --delay 60 "10:00"
xdotool key Tab
xdotool type --delay 60 "会議"
shot time
xdotool key Return
check "Enter confirms 時間予定記入" wait_for 20 no_dialog "時間予定記入"
click_in "$DAY" 276 337
check "OK confirms 予定編集" wait_for 20 no_dialog "予定編集"

# The rows, in CP932 with CR LF, and no line without its CR.
row_in_table() {
    local want
    want=$(printf '%s\r' "$1" | iconv -f UTF-8 -t CP932)
    grep -aqxF -- "$want" "$TABLE"
}
check "the timed entry is saved at once in データ: 20261207,0930,1000,1,会議," \
    wait_for 20 row_in_table "20261207,0930,1000,1,会議,"
check "the period day is saved: 20261207,,,0,出張," row_in_table "20261207,,,0,出張,"
check "the holiday mark is saved: 20261207,,,,,1" row_in_table "20261207,,,,,1"
shot month-edited
check "every line of the table ends with CR LF" bash -c "! grep -aqv $'\r\$' '$TABLE'"

# A second start while another program's window is in front, and again while the month
# is minimised: the first window is restored and comes to the front (as Windows sees it:
# without a window manager X does not say), and the second copy ends at once with status 0.
(exec wine notepad >/dev/null 2>&1) &
NOTEPAD_TITLE="Untitled - Notepad"
wintop() { wine "$WINTOP" "$@" >/dev/null 2>&1; }
check "another program's window is in front of the month" \
    wait_for 60 wintop front "$NOTEPAD_TITLE" Pemdaro
second_start() {  # WHAT
    start_copy 2
    local second=$PID status=0
    check "the second start ($1) ends quickly" wait_for 30 is_gone "$second"
    wait "$second" || status=$?
    check "the second start ($1) ends with status 0" [ "$status" -eq 0 ]
    check "the first window comes to the front ($1)" wait_for 20 wintop front Pemdaro "$NOTEPAD_TITLE"
    check "only one month window is open ($1)" [ "$(window_count)" -eq 1 ]
    check "the first copy still runs ($1)" kill -0 "$FIRST"
}
second_start "another window in front"
wintop minimize Pemdaro
check "the month is minimised" wait_for 20 wintop iconic Pemdaro
second_start "the month minimised"
check "the month is restored" bash -c "! wine '$WINTOP' iconic Pemdaro >/dev/null 2>&1"

# The end of the session (wineboot --end-session sends WM_QUERYENDSESSION and
# WM_ENDSESSION) while 予定編集 is open with the paid-leave mark set and not confirmed: as
# SIGTERM on Linux, the dialog is cancelled, what the model holds is saved and the program
# ends with status 0.
focus_on "$MAIN"
xdotool key Return
check "Enter opens 予定編集 again" wait_for 20 has_dialog "予定編集"
focus_on "$(dialog_named "予定編集")"
xdotool key alt+y
shot day-ending
rm -f "$USERDIR/pemdaro.ini"
wineboot --end-session >/dev/null 2>&1 || true
check "the end of the session with 予定編集 open ends the program" wait_for 60 is_gone "$FIRST"
status=0
wait "$FIRST" || status=$?
check "it ends with status 0" [ "$status" -eq 0 ]
check "it kept the window's place as a close does" test -s "$USERDIR/pemdaro.ini"
check "the rows are still in the table" row_in_table "20261207,0930,1000,1,会議,"
check "the cancelled dialog's paid-leave mark is not saved" bash -c "! grep -aq '^20261207,,,,,2' '$TABLE'"
check "no temporary file is left beside the table" \
    bash -c "[ \"\$(ls '$WORK/データ' | grep -v '^kelnova-backup\$')\" = kelnova.txt ]"

# The exports of a build that has them write the same bytes as the Linux build's from the
# same table (LINUX_BUILD: its build folder, when there is one).
linux_pemdaro="$(realpath -m "${LINUX_BUILD:-$root/build}/pemdaro")"
if grep -q -- "pemdaro --export " <<<"$help" && [ -x "$linux_pemdaro" ]; then
    mkdir "$WORK/linux"
    cp -p "$TABLE" "$WORK/linux/kelnova.txt"
    printf 'DATA_DIR=%s/\r\n' "$WORK/linux" >"$WORK/linux/kelnova.ini"
    for format in csv ics; do
        check "--export $format of pemdaro.exe ends with status 0" \
            bash -c "cd '$WORK' && wine '$WORK/pemdaro.exe' --export $format out.$format >/dev/null 2>&1"
        check "--export $format of the Linux build ends with status 0" \
            bash -c "cd '$WORK/linux' && '$linux_pemdaro' --export $format out.$format >/dev/null 2>&1"
        check "both write the same $format bytes" cmp "$WORK/out.$format" "$WORK/linux/out.$format"
    done
    check "the csv holds the edited day" grep -aq "^2026/12/07" "$WORK/out.csv"
fi

echo "$((E2E_CHECKS - E2E_FAILURES)) checks passed, $E2E_FAILURES failed"
[ "$E2E_FAILURES" -eq 0 ]
