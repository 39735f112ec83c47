#!/usr/bin/env bash
# Builds Pemdaro twice and runs every test: a normal build with the GUI and
# end-to-end tests under Xvfb, then an AddressSanitizer + UndefinedBehaviorSanitizer
# build of the toolkit-free libraries with the unit tests. The normal build also builds
# the benchmarks of bench/ (so that they keep compiling) but does not run them; see
# docs/performance.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
jobs=$(nproc)

cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEMDARO_BENCH=ON
cmake --build "$root/build" -j "$jobs"
(cd "$root/build" && ctest --output-on-failure -j "$jobs")

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPEMDARO_GUI=OFF -DPEMDARO_SANITIZE=ON
cmake --build "$root/build-asan" -j "$jobs"
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
