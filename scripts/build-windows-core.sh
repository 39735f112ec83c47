#!/bin/bash
# Cross-compiles the toolkit-free layers and unit_tests.exe for 64-bit Windows with
# MinGW-w64 into build-win-core/, and runs the unit tests under Wine in a private
# WINEPREFIX inside that folder. The wxWidgets program is not part of this build.
#
#   scripts/build-windows-core.sh [--no-run] [gtest arguments...]
#
# Needs g++-mingw-w64-x86-64-posix, mingw-w64, wine, wine64 and googletest (the sources in
# /usr/src/googletest), and what scripts/build-windows-libs.sh needs for libical; JOBS sets the build's parallel jobs (1 by default).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win-core"
jobs="${JOBS:-1}"
run=1
if [ "${1:-}" = "--no-run" ]; then
    run=0
    shift
fi

missing=()
for tool in x86_64-w64-mingw32-g++-posix cmake ninja; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -f /usr/src/googletest/googletest/CMakeLists.txt ] || missing+=("/usr/src/googletest")
if [ "$run" = 1 ] && ! command -v wine >/dev/null; then
    missing+=("wine")
fi
if [ "${#missing[@]}" -gt 0 ]; then
    echo "build-windows-core: missing: ${missing[*]}" >&2
    echo "apt-get install g++-mingw-w64-x86-64-posix mingw-w64 wine wine64 googletest" >&2
    exit 2
fi

# libical for the exports, built once into the cache (PEMDARO_WIN_LIBICAL_PREFIX names one
# built already).
libical="${PEMDARO_WIN_LIBICAL_PREFIX:-$(JOBS="$jobs" "$root/scripts/build-windows-libs.sh" | tail -n 1)}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DPEMDARO_GUI=OFF -DPEMDARO_BENCH=OFF -DPEMDARO_WIN_LIBICAL_PREFIX="$libical"
cmake --build "$build" --target unit_tests -j "$jobs"

exe="$build/unit_tests.exe"
echo "unit_tests.exe: $(stat -c %s "$exe") bytes"
if [ "$run" = 0 ]; then
    exit 0
fi

# A private prefix, made once: the tests never see the user's own Wine setup.
export WINEPREFIX="$build/wineprefix"
# Wine names the files it makes on the Linux side in the locale's character set: the
# tests' Japanese folder names need a UTF-8 locale (a bare machine has none set).
export LANG=C.UTF-8
unset LC_ALL
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
fi
# The tests run from the source folder (Wine's Z: drive), as the Linux ones do.
cd "$root"
status=0
wine "$exe" "$@" || status=$?
wineserver -w || true
exit "$status"
