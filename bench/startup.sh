#!/usr/bin/env bash
# Start-up of the real program to its first painted month, beside its floor: a bare
# wxWidgets window of the same size painted once (build/bare_window), both under one Xvfb.
# For each table size the two are started in turns (ROUNDS rounds, the order swapped every
# round, after one untimed start of each), and each is timed by bench/startup_probe from
# the start of its process until the grey bar on the probed pixel appears on the screen.
#
# The program's clock is set to 15 June 2026 (PEMDARO_TEST_CLOCK) and every table gets a
# five-day period around that day, so the same bar is waited for on every date the
# benchmark runs on.
#
# Usage: bench/startup.sh [BUILD_DIR [ROWS...]]   (default: build, 0 100000 1000000 rows)
#        ROUNDS=20 sets the number of timed rounds per size.
#        TABLE_AGE=0 starts right after the table is written (default: 11 seconds later).
#        FIRST_RUN=1 gives every start an empty state folder, as at a user's very first
#        start: the fonts of the month are then searched instead of taken from those kept
#        (fw::CFoundFonts). By default the untimed start before the rounds keeps them.
#        COLD_TABLE=1 takes the table file out of the page cache before every start of the
#        program, as after a reboot: its read then comes from the disk (the libraries stay
#        cached, as they are for the bare window). By default the table is in the cache.
# Needs a build configured with -DPEMDARO_BENCH=ON. Prints one line per size, e.g.
#   rows=100000 file_MB=3.41 start_ms=... bare_ms=... ratio=... rss_MB=... bare_rss_MB=...
#   rss_limit_MB=... peak_MB=... close_ms=... bare_close_ms=... nogl_ms=... ratio_nogl=...
#   nogl_rss_MB=... rounds=20
# where start_ms and bare_ms are medians of the times, ratio the median of the ratios of
# each round's pair, rss_MB the resident memory as the month appeared, rss_limit_MB the
# target of 1.3 times the bare window's plus 1.5 times the file's size, peak_MB the peak
# resident memory over the whole run (the close included), close_ms the time from SIGTERM
# to the end of the process (an unchanged table is not written).
# nogl_ms and ratio_nogl are the same for the bare window started with GDK_GL=disable: GDK
# then skips its probe of the OpenGL drivers as it opens the display, as the program does
# by itself (fw::BeforeToolkitStarts), so ratio_nogl compares the program with a floor that
# starts the toolkit the same way; ratio keeps the bare window as wxWidgets starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 100000 1000000)
rounds=${ROUNDS:-20}

if [ -z "${PEMDARO_STARTUP_XVFB:-}" ]; then
    exec env PEMDARO_STARTUP_XVFB=1 ROUNDS="$rounds" FIRST_RUN="${FIRST_RUN:-}" \
        COLD_TABLE="${COLD_TABLE:-}" \
        xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "${sizes[@]}"
fi

work=$(mktemp -d /tmp/pemdaro-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/config" "$work/state" "$work/share"
printf 'DATA_DIR=%s/data/\r\n' "$work" >"$work/kelnova.ini"

# 15 June: the left column holds days 1-16, the right 17-31; the bar's axis is 37 pixels
# into the column and each row is 27 pixels high below a 20-pixel header.
clock=202606151200
middle=20260615
day=15
x=$((20 + ((day - 1) / 16) * 380 + 37))
y=$((20 + ((day - 1) % 16) * 27 + 13))

# One start of PROGRAM: "START_MS RSS_KB PEAK_KB CLOSE_MS" (bench/startup_probe.c).
probe() {
    local runtime
    runtime=$(mktemp -d "$work/run.XXXXXX")
    local state="$work/state"
    [ -z "${FIRST_RUN:-}" ] || state="$runtime/state"
    (cd "$work" && XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$work/config" \
        XDG_STATE_HOME="$state" XDG_DATA_HOME="$work/share" PEMDARO_TEST_CLOCK=$clock NO_AT_BRIDGE=1 \
        "$build/startup_probe" "$x" "$y" 100,100,100 30 "$@")
    rm -rf "$runtime"
}

# One start of the program, its table first taken out of the page cache with COLD_TABLE
# (written back first: the cache keeps pages that are not on the disk yet).
probe_program() {
    if [ -n "${COLD_TABLE:-}" ]; then
        sync "$work/data/kelnova.txt"
        dd if="$work/data/kelnova.txt" iflag=nocache count=0 status=none
    fi
    probe "$build/pemdaro"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for rows in "${sizes[@]}"; do
    "$build/make_bench_table" "$rows" "$work/data/kelnova.txt" "$middle" 5
    # A table as a user's start finds it, not written in the last ten seconds: the program
    # then needs no hash of it to notice another program's change (CScheduleModel).
    sleep "${TABLE_AGE:-11}"
    bytes=$(stat -c %s "$work/data/kelnova.txt")
    probe "$build/bare_window" "$x" "$y" >/dev/null
    probe "$build/pemdaro" >/dev/null
    : >"$work/rounds"
    GDK_GL=disable probe "$build/bare_window" "$x" "$y" >/dev/null
    for i in $(seq 1 "$rounds"); do
        if [ $((i % 2)) -eq 1 ]; then
            bare=$(probe "$build/bare_window" "$x" "$y")
            real=$(probe_program)
            nogl=$(GDK_GL=disable probe "$build/bare_window" "$x" "$y")
        else
            nogl=$(GDK_GL=disable probe "$build/bare_window" "$x" "$y")
            real=$(probe_program)
            bare=$(probe "$build/bare_window" "$x" "$y")
        fi
        echo "$real $bare $nogl" >>"$work/rounds"
    done
    col() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
    ratio=$(awk '{ print $1 / $5 }' "$work/rounds" | median)
    ratio_nogl=$(awk '{ print $1 / $9 }' "$work/rounds" | median)
    nogl=$(col 9) nogl_rss=$(col 10)
    start=$(col 1) rss=$(col 2) peak=$(col 3) close=$(col 4)
    bare=$(col 5) bare_rss=$(col 6) bare_close=$(col 8)
    awk -v rows="$rows" -v bytes="$bytes" -v start="$start" -v bare="$bare" -v ratio="$ratio" \
        -v rss="$rss" -v bare_rss="$bare_rss" -v peak="$peak" -v closems="$close" \
        -v bare_close="$bare_close" -v rounds="$rounds" -v nogl="$nogl" -v ratio_nogl="$ratio_nogl" \
        -v nogl_rss="$nogl_rss" 'BEGIN {
        printf "rows=%s file_MB=%.2f start_ms=%.1f bare_ms=%.1f ratio=%.2f rss_MB=%.1f", \
            rows, bytes / 1e6, start, bare, ratio, rss / 1024
        printf " bare_rss_MB=%.1f rss_limit_MB=%.1f peak_MB=%.1f close_ms=%.1f", \
            bare_rss / 1024, (1.3 * bare_rss * 1024 + 1.5 * bytes) / 1048576, peak / 1024, closems
        printf " bare_close_ms=%.1f nogl_ms=%.1f ratio_nogl=%.2f nogl_rss_MB=%.1f rounds=%s\n", \
            bare_close, nogl, ratio_nogl, nogl_rss / 1024, rounds
    }'
done
