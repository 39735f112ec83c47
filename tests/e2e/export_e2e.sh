#!/usr/bin/env bash
# The real pemdaro's exports read by other programs: the .ics parsed by python3-icalendar
# and imported by calcurse and khal, the .csv opened by LibreOffice Calc, with Japanese
# texts, commas, start-only entries and a period across a month end. The exports run
# without DISPLAY, beside a running window copy, and never write the table; bad command
# lines and unusable tables end with their exit codes and leave no file.
# Usage: export_e2e.sh PEMDARO
PEMDARO=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
trap 'cat "${E2E_WORK:-/nonexistent}"/*.log 2>/dev/null; cleanup' EXIT
# Debian's own Python, with its python3-icalendar (a python3 earlier in PATH may lack it).
PYTHON=/usr/bin/python3
for tool in $PYTHON calcurse khal soffice iconv Xvfb; do
    command -v "$tool" >/dev/null || { echo "FAIL - $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
$PYTHON -c 'import icalendar' || { echo "FAIL - python3-icalendar is missing"; exit 1; }
make_workspace
DATA="$E2E_WORK/data"
OUT="$E2E_WORK/out"
mkdir -p "$OUT"

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
{
    printf '%s' "$HEADER"
    printf '20261207,0930,1000,1,会議 表ソ,\r\n'
    printf '20261207,1300,,2,"来客,佐藤様",\r\n'
    printf '20261208,,1000,1,締切;報告,\r\n'
    printf '20261230,,,0,帰省,\r\n20261231,,,0,帰省,\r\n20270101,,,0,帰省,\r\n20270102,,,0,帰省,\r\n'
    printf '20261229,,,,,1\r\n20261228,,,,,2\r\n'
    printf '20270105,2200,2400,1,夜間作業\\点検,\r\n'
    printf '# [END OF FILE]\r\n'
} | iconv -f UTF-8 -t CP932 >"$DATA/kelnova.txt"
table_sum=$(sha256sum <"$DATA/kelnova.txt")

# A window copy runs on the table: its guard, its data lock, a save's temporary file. It
# is started without DISPLAY and given the display through GTK's own --display option,
# which the command line must hand on to GTK.
start_xvfb
for attempt in 1 2; do
    (cd "$E2E_WORK" && exec env -u DISPLAY "$PEMDARO" --display "$DISPLAY" \
        >"$E2E_WORK/stdout.log" 2>"$E2E_WORK/stderr.log") &
    PEMDARO_PID=$!
    wait_for 60 shown_or_gone || true
    # GTK now and then refuses a display at its start (lib.sh, start_pemdaro).
    is_gone "$PEMDARO_PID" && grep -q "Unable to initialize GTK" "$E2E_WORK/stderr.log" || break
done
check "the window copy runs, --display handed to GTK" wait_for 60 has_main_window
printf 'half a save' >"$DATA/kelnova.txt.tmp.x"
ls -a "$DATA" >"$E2E_WORK/before.list"

export_ok() {  # export_ok ARGS...: run from the workspace without a display
    (cd "$E2E_WORK" && env -u DISPLAY -u WAYLAND_DISPLAY "$PEMDARO" "$@" 2>"$E2E_WORK/export.err")
}
check "ics export without DISPLAY beside the window" export_ok --export ics "$OUT/a.ics"
check "a second ics export" export_ok --export ics "$OUT/b.ics"
check "the two exports are the same bytes (UIDs, DTSTAMP)" cmp -s "$OUT/a.ics" "$OUT/b.ics"
check "csv export" export_ok --export csv "$OUT/a.csv"
check "csv export in UTF-8" export_ok --export csv --utf8 "$OUT/u.csv"
check "a month's export" export_ok --export ics --from 20261201 --to 20261231 "$OUT/dec.ics"
check "the table is unchanged" [ "$(sha256sum <"$DATA/kelnova.txt")" = "$table_sum" ]
ls -a "$DATA" >"$E2E_WORK/after.list"
check "the data folder is as it was (lock, temporary file, no backup)" \
    cmp -s "$E2E_WORK/before.list" "$E2E_WORK/after.list"
check "the window copy still runs" has_main_window

# --- python3-icalendar: every event, its times in Asia/Tokyo and the escaped texts.
cat >"$E2E_WORK/check.py" <<'PY'
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in cal.walk('VEVENT'):
    s, d = e.get('DTSTART').dt, e.get('DTEND')
    tz = getattr(s, 'tzinfo', None)
    print(e.get('SUMMARY'), s.isoformat(), d.dt.isoformat() if d else '-',
          str(e.get('DTSTART').params.get('TZID', '')), e.get('UID'), sep='|')
print('TZ', [str(z.get('TZID')) for z in cal.walk('VTIMEZONE')])
PY
$PYTHON "$E2E_WORK/check.py" "$OUT/a.ics" >"$E2E_WORK/parsed.txt" 2>&1
has_line() { grep -qxF -- "$2" "$1"; }
has_event() { grep -q -- "^$1|$2|$3|$4|" "$E2E_WORK/parsed.txt"; }
check "icalendar: 09:30-10:00 in Asia/Tokyo" has_event '会議 表ソ' 2026-12-07T09:30:00+09:00 2026-12-07T10:00:00+09:00 Asia/Tokyo
check "icalendar: a comma, start only" has_event '来客,佐藤様' 2026-12-07T13:00:00+09:00 - Asia/Tokyo
check "icalendar: end only as an all-day event" has_event '-10:00締切;報告' 2026-12-08 2026-12-09 ''
check "icalendar: the period across the month end" has_event '帰省' 2026-12-30 2027-01-03 ''
check "icalendar: holiday" has_event '祝日・特別休日' 2026-12-29 2026-12-30 ''
check "icalendar: paid leave" has_event '計画有給休暇日' 2026-12-28 2026-12-29 ''
check "icalendar: backslash and 24:00" has_event '夜間作業\\点検' 2027-01-05T22:00:00+09:00 2027-01-06T00:00:00+09:00 Asia/Tokyo
check "icalendar: seven events" [ "$(grep -c '|' "$E2E_WORK/parsed.txt")" -eq 7 ]
check "icalendar: one zone, Asia/Tokyo" has_line "$E2E_WORK/parsed.txt" "TZ ['Asia/Tokyo']"
check "the month's UIDs are the whole export's" \
    bash -c "grep -h '^UID:' '$OUT/dec.ics' | sort | comm -23 - <(grep -h '^UID:' '$OUT/a.ics' | sort) | grep -q . && exit 1 || exit 0"
check "lines of at most 75 octets" bash -c "! LC_ALL=C awk 'length(\$0) > 76' '$OUT/a.ics' | grep -q ."

# --- calcurse: import, then list the days. calcurse turns zoned times into the local
# time of TZ as it imports.
CAL="$E2E_WORK/calcurse"
mkdir -p "$CAL"
check "calcurse imports the file" env TZ=Asia/Tokyo calcurse -D "$CAL" -i "$OUT/a.ics" -q
TZ=Asia/Tokyo calcurse -D "$CAL" -Q --input-datefmt 4 --from 2026-12-01 --to 2027-01-10 \
    >"$E2E_WORK/calcurse.txt" 2>&1 || true
# The entries of one day, "MM/DD/YY:" as calcurse heads it, on one line.
cal_day() { awk -v d="$1:" '$0 == d {f=1; next} /^[0-9][0-9]\/[0-9][0-9]\/[0-9][0-9]:$/ {f=0} f' \
    "$E2E_WORK/calcurse.txt" | tr '\n\t' '  '; }
cal_has() { cal_day "$1" | grep -qF -- "$2"; }
check "calcurse: 会議 表ソ 09:30 to 10:00" cal_has 12/07/26 '09:30 -> 10:00  会議 表ソ'
check "calcurse: the comma text at 13:00" cal_has 12/07/26 '13:00 -> 13:00  来客,佐藤様'
check "calcurse: the end-only entry all day" cal_has 12/08/26 '* -10:00締切;報告'
check "calcurse: the period on 2026-12-31" cal_has 12/31/26 '* 帰省'
check "calcurse: the period on 2027-01-02" cal_has 01/02/27 '* 帰省'
check "calcurse: not on 2027-01-03" bash -c "! grep -q '^01/03/27:' '$E2E_WORK/calcurse.txt'"
check "calcurse: the backslash text from 22:00" cal_has 01/05/27 '22:00 -> 00:00  夜間作業\点検'

# --- khal: a private configuration and calendar folder, a batch import, the list.
KHAL="$E2E_WORK/khal"
mkdir -p "$KHAL/cal"
cat >"$KHAL/config" <<CONF
[calendars]
[[cal]]
path = $KHAL/cal
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
local_timezone = Asia/Tokyo
default_timezone = Asia/Tokyo
[default]
default_calendar = cal
CONF
export XDG_DATA_HOME="$KHAL/data" XDG_CONFIG_HOME="$KHAL/cfg"
check "khal imports the file" khal -c "$KHAL/config" import --batch -a cal "$OUT/a.ics"
khal -c "$KHAL/config" list --format '{start} {end} {title}' 2026-12-01 2027-01-10 \
    >"$E2E_WORK/khal.txt" 2>&1 || true
khal_has() { grep -qF -- "$1" "$E2E_WORK/khal.txt"; }
check "khal: 会議 表ソ at 09:30" khal_has '2026-12-07 09:30 2026-12-07 10:00 会議 表ソ'
check "khal: the text with a comma" khal_has '来客,佐藤様'
check "khal: the period to 2027-01-02" khal_has '2026-12-30 2027-01-02 帰省'
check "khal: seven events" [ "$(ls "$KHAL/cal" | wc -l)" -eq 7 ]

# --- LibreOffice Calc: the CP932 file and the UTF-8 one, read and written back as UTF-8.
to_utf8_csv() {  # to_utf8_csv IN CHARSET OUTDIR
    soffice -env:UserInstallation="file://$E2E_WORK/lo" --headless \
        --infilter="CSV:44,34,$2,1" --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' \
        --outdir "$3" "$1" >"$E2E_WORK/soffice.log" 2>&1
}
mkdir -p "$OUT/lo932" "$OUT/lo8"
check "LibreOffice reads the CP932 file" to_utf8_csv "$OUT/a.csv" 60 "$OUT/lo932"
check "LibreOffice reads the UTF-8 file" to_utf8_csv "$OUT/u.csv" 76 "$OUT/lo8"
# Calc quotes every text cell it writes; the comma text must come back as one cell.
lo_has() { tr -d '"' <"$1" | grep -qxF -- "$2"; }
for f in "$OUT/lo932/a.csv" "$OUT/lo8/u.csv"; do
    n=$(basename "$f")
    check "$n: header" lo_has "$f" '日付,曜日,開始,終了,種別,内容'
    check "$n: 表 and ソ intact" grep -qF '"会議 表ソ"' "$f"
    check "$n: the comma inside one cell" grep -qF '"予定","来客,佐藤様"' "$f"
    check "$n: the period with its last day" lo_has "$f" '2026/12/30,水,,2027/01/02,期間,帰省'
    check "$n: the marks" lo_has "$f" '2026/12/29,火,,,祝日,'
    check "$n: the backslash text" grep -qF '"夜間作業\点検"' "$f"
    check "$n: eight rows" [ "$(wc -l <"$f")" -eq 8 ]
done

# --- Bad command lines and unusable tables: the exit code, a message, no file.
run_code() {  # run_code ARGS...: prints the exit code
    local code=0
    (cd "$E2E_WORK" && env -u DISPLAY "$PEMDARO" "$@" >/dev/null 2>"$E2E_WORK/err.txt") || code=$?
    echo "$code"
}
check "--help exits 0" [ "$(run_code --help)" = 0 ]
check "--version exits 0" [ "$(run_code --version)" = 0 ]
check "an unknown option exits 2" [ "$(run_code --bogus)" = 2 ]
check "and says so" grep -q "unknown option '--bogus'" "$E2E_WORK/err.txt"
check "a bad date exits 2" [ "$(run_code --export ics --from 20261301 "$OUT/x.ics")" = 2 ]
check "an unwritable file exits 1" [ "$(run_code --export csv "$OUT/nowhere/x.csv")" = 1 ]
check "and names it" grep -q "nowhere/x.csv" "$E2E_WORK/err.txt"
printf 'DATA_DIR=%s/missing/\r\n' "$E2E_WORK" >"$E2E_WORK/kelnova.ini"
check "a data folder that does not exist exits 1" [ "$(run_code --export ics "$OUT/x.ics")" = 1 ]
check "and nothing is created there" [ ! -e "$E2E_WORK/missing" ]
printf 'DATA_DIR=%s/\r\n' "$OUT" >"$E2E_WORK/kelnova.ini"
cp "$OUT/a.csv" "$OUT/kelnova.txt"
check "a file that is no table exits 1" [ "$(run_code --export ics "$OUT/x.ics")" = 1 ]
check "no partial file is left" [ -z "$(ls "$OUT" | grep -v -e '^a\.' -e '^b\.' -e '^u\.' -e '^dec\.' -e '^lo' -e '^kelnova')" ]
check "the window copy still runs at the end" has_main_window
finish
