#!/usr/bin/env bash
# Start-up of the real program to its first painted month, under its own Xvfb, on a
# prepared table of each size: the time from the start of bench/startup_probe's child
# until the grey period bar on today's row appears on the screen. A five-day period
# around today is added to every table so that the bar is there to wait for.
#
# Usage: bench/startup.sh [BUILD_DIR [ROWS...]]   (default: build, 0 and 100000 rows)
#        RUNS=11 sets the number of timed starts per size (after one untimed start).
# Needs a build configured with -DPEMDARO_BENCH=ON. Prints one line per size:
#   rows=100000 file_MB=4.2 median_ms=... min_ms=... max_ms=... runs=11
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 100000)
runs=${RUNS:-11}

if [ -z "${PEMDARO_STARTUP_XVFB:-}" ]; then
    exec env PEMDARO_STARTUP_XVFB=1 RUNS="$runs" \
        xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "${sizes[@]}"
fi

work=$(mktemp -d /tmp/pemdaro-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data"
printf 'DATA_DIR=%s/data/\r\n' "$work" >"$work/kelnova.ini"

# Today's row: days 1-16 in the left column, 17-31 in the right; the bar's axis is 37
# pixels into the column and the row is 27 pixels high below a 20-pixel header.
day=$((10#$(date +%d)))
column=$(((day - 1) / 16))
row=$(((day - 1) % 16))
x=$((20 + column * 380 + 37))
y=$((20 + row * 27 + 13))

for rows in "${sizes[@]}"; do
    "$build/make_bench_table" "$rows" "$work/data/kelnova.txt" "$(date +%Y%m%d)" 5
    bytes=$(stat -c %s "$work/data/kelnova.txt")
    times=()
    for i in $(seq 0 "$runs"); do
        runtime=$(mktemp -d "$work/run.XXXXXX")
        ms=$(cd "$work" && XDG_RUNTIME_DIR="$runtime" \
            "$build/startup_probe" "$x" "$y" 180,180,180 30 "$build/pemdaro")
        [ "$i" -eq 0 ] || times+=("$ms")  # the first start only warms the caches
    done
    sorted=$(printf '%s\n' "${times[@]}" | sort -n)
    median=$(printf '%s\n' "$sorted" | sed -n "$(((${#times[@]} + 1) / 2))p")
    printf 'rows=%s file_MB=%s median_ms=%s min_ms=%s max_ms=%s runs=%s\n' "$rows" \
        "$(awk -v b="$bytes" 'BEGIN{printf "%.2f", b / 1e6}')" "$median" \
        "$(printf '%s\n' "$sorted" | head -n 1)" "$(printf '%s\n' "$sorted" | tail -n 1)" \
        "${#times[@]}"
done
