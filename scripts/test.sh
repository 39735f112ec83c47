#!/usr/bin/env bash
# Builds Pemdaro three times and runs every test: a normal build with the GUI and
# end-to-end tests under Xvfb, an AddressSanitizer + UndefinedBehaviorSanitizer build of
# the toolkit-free libraries with the unit tests (with the table store's portable scans
# instead of its SSE2 ones, which the normal build tests), and the libFuzzer targets. The normal
# build also builds the benchmarks of bench/ (so that they keep compiling) but does not
# run them; see docs/performance.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
jobs=$(nproc)

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEMDARO_BENCH=ON
cmake --build "$root/build" -j "$jobs"
(cd "$root/build" && ctest --output-on-failure -j "$jobs")

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPEMDARO_GUI=OFF -DPEMDARO_SANITIZE=ON -DPEMDARO_PORTABLE_SCAN=ON
cmake --build "$root/build-asan" -j "$jobs"
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

# Third build: the libFuzzer targets of fuzz/ (clang, ASan, UBSan). Each target first
# replays its regression inputs (fuzz/regressions/<target>/) and its seed corpus
# (fuzz/corpus/<target>/), then fuzzes for PEMDARO_FUZZ_SECONDS seconds (60 unless set).
# A crash, a sanitizer report, a leak, a hang or a failed property fails the script; the
# input that caused it is left in build-fuzz/fuzz-work/<target>/artifacts/.
fuzz_seconds=${PEMDARO_FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEMDARO_GUI=OFF -DPEMDARO_FUZZ=ON
cmake --build "$root/build-fuzz" -j "$jobs" --target fuzz

# The table and settings targets write their files several times per input: a memory
# file system keeps that fast.
fuzz_tmp=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  fuzz_tmp=/dev/shm
fi

fuzz_failed=()
fuzz_summary=()
for src in "$root"/fuzz/*_fuzz.cpp; do
  name=$(basename "$src" .cpp)
  bin="$root/build-fuzz/$name"
  work="$root/build-fuzz/fuzz-work/$name"
  rm -rf "$work/artifacts"
  mkdir -p "$work/corpus" "$work/artifacts"

  replay=()
  for dir in "$root/fuzz/regressions/$name" "$root/fuzz/corpus/$name"; do
    if [ -d "$dir" ]; then
      replay+=("$dir")
    fi
  done
  echo "fuzz: $name: replaying ${replay[*]}"
  if ! TMPDIR=$fuzz_tmp "$bin" -runs=0 -artifact_prefix="$work/artifacts/" "${replay[@]}" \
    >"$work/replay.log" 2>&1; then
    tail -n 40 "$work/replay.log"
    echo "fuzz: $name failed on a kept input; see $work/replay.log"
    fuzz_failed+=("$name (replay)")
    fuzz_summary+=("$(printf '%-16s replay failed' "$name")")
    continue
  fi

  echo "fuzz: $name: fuzzing for $fuzz_seconds s"
  start=$(date +%s)
  status=0
  TMPDIR=$fuzz_tmp "$bin" -max_total_time="$fuzz_seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" "$work/corpus" \
    "$root/fuzz/corpus/$name" >"$work/fuzz.log" 2>&1 || status=$?
  seconds=$(($(date +%s) - start))
  grep '^stat::' "$work/fuzz.log" || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work/fuzz.log"
    echo "fuzz: $name failed; the input is in $work/artifacts/ (keep it in" \
      "fuzz/regressions/$name/ once fixed)"
    fuzz_failed+=("$name")
  fi
  fuzz_summary+=("$(printf '%-16s %10s executions in %4d s' "$name" "${executions:-?}" "$seconds")")
done

echo "fuzz summary:"
printf '  %s\n' "${fuzz_summary[@]}"
if [ ${#fuzz_failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${fuzz_failed[*]}"
  exit 1
fi

# Last: the Debian package built, checked with lintian, installed with apt-get and tried as
# a user starts it (its desktop entry's Exec line, a fresh HOME), then removed.
bash "$root/scripts/package-test.sh"

# Then Windows: pemdaro.exe and unit_tests.exe cross-built with MinGW-w64, the unit tests
# and the end-to-end scripts of tests/e2e-win/ under Wine, and the zip and the installer
# (scripts/windows-test.sh). PEMDARO_SKIP_WINDOWS=1 leaves it out of a local run; CI never
# sets it.
if [ "${PEMDARO_SKIP_WINDOWS:-}" != 1 ]; then
  bash "$root/scripts/windows-test.sh"
fi
