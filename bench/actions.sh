#!/usr/bin/env bash
# What the user waits for in the real program, at each table size: a month change by the
# wheel (the event to the end of the month's paint), the opening of the day dialog by a
# double click (the click to the dialog's first turn of the event loop) and its OK: to the
# end of the paint that shows the edit, and to the save that follows it done.
# The program logs the times itself when PEMDARO_TIMING is set (fw::BeginTimedAction);
# xdotool drives it under its own Xvfb. The clock and the tables are those of
# bench/startup.sh.
#
# Usage: bench/actions.sh [BUILD_DIR [ROWS...]]   (default: build, 0 100000 1000000 rows)
#        REPEATS=20 sets the wheel events per direction and the dialogs opened per size.
# Prints one line per size and action with the median, the least and the most, e.g.
#   rows=100000 action=month-wheel median_ms=... min_ms=... max_ms=... n=40
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 100000 1000000)
repeats=${REPEATS:-20}

if [ -z "${PEMDARO_ACTIONS_XVFB:-}" ]; then
    exec env PEMDARO_ACTIONS_XVFB=1 REPEATS="$repeats" \
        xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "${sizes[@]}"
fi

work=$(mktemp -d /tmp/pemdaro-actions.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/config" "$work/state" "$work/share" "$work/runtime"
printf 'DATA_DIR=%s/data/\r\n' "$work" >"$work/kelnova.ini"

for rows in "${sizes[@]}"; do
    "$build/make_bench_table" "$rows" "$work/data/kelnova.txt" 20260615 5
    (cd "$work" && XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" \
        XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/share" NO_AT_BRIDGE=1 \
        PEMDARO_TEST_CLOCK=202606151200 PEMDARO_TIMING=1 REMIND_MINUTES=0 \
        exec "$build/pemdaro" 2>"$work/log") &
    pid=$!
    for _ in $(seq 1 200); do
        xdotool search --pid "$pid" >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1
    xdotool mousemove 300 200
    for direction in 4 5; do
        for _ in $(seq 1 "$repeats"); do
            xdotool click "$direction"
            sleep 0.1
        done
    done
    # The 15th, in the month of the clock again: double click it, then OK.
    for _ in $(seq 1 "$repeats"); do
        xdotool mousemove 200 411 click --repeat 2 --delay 50 1
        sleep 0.6
        xdotool key Return
        sleep 0.6
    done
    kill -TERM "$pid"
    wait "$pid" || true
    # ok-paint: the dialog's OK to the end of the month's paint that shows the edit;
    # ok-answer: the OK to the event loop's next turn, when the window answers again;
    # ok-saved: the OK to the save done (the file and its folder synced), on the save's
    # worker thread once the save runs beside the window. A build from before that logs no
    # ok-answer (its window answered only after the save: ok-saved); one from before the
    # paint came first logs ok-save: the OK to the paint after the save.
    for action in month-wheel day-dialog ok-paint ok-answer ok-saved ok-save; do
        awk -v a="$action" '$1 == "pemdaro-timing" && $2 == a { print $3 }' "$work/log" |
            sort -g | awk -v rows="$rows" -v a="$action" '{ v[NR] = $1 }
            END { if (NR == 0) { if (a != "ok-save" && a != "ok-answer") printf "rows=%s action=%s none logged\n", rows, a; exit }
                  printf "rows=%s action=%s median_ms=%.2f min_ms=%.2f max_ms=%.2f n=%d\n",
                      rows, a, v[int((NR + 1) / 2)], v[1], v[NR], NR }'
    done
done
