#!/usr/bin/env bash
# The Windows part of the tests, as CI runs it (scripts/test.sh calls it last): installs
# what it needs, builds pemdaro.exe and unit_tests.exe with scripts/build-windows.sh into
# build-win/, runs unit_tests.exe under Wine, then every tests/e2e-win/*_e2e.sh (the
# packaging and the silent install and removal are package_e2e.sh), and prints a summary.
# Every step runs even when one before it failed; the exit status is 0 only when all passed.
#
#   bash scripts/windows-test.sh
#
# The toolkit is built once into the cache folder of scripts/build-windows.sh
# (PEMDARO_CACHE); WX_MSW_PREFIX=/path uses one already built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"

if [ ! -f "$root/scripts/build-windows.sh" ]; then
  echo "windows-test: scripts/build-windows.sh is missing: pemdaro.exe cannot be built" >&2
  exit 1
fi

win_build="$root/build-win"
linux_build="$root/build"
logs="$win_build/test-logs"
cache="${PEMDARO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pemdaro}"
failed=()
summary=()

# ---- the build ------------------------------------------------------------------------------
toolkits() { ls -d "$cache"/wxmsw-* 2>/dev/null | sort || true; }
before=$(toolkits)
start=$(date +%s)
status=0
bash "$root/scripts/build-windows.sh" || status=$?
seconds=$(($(date +%s) - start))
if [ "$status" -ne 0 ]; then
  echo "windows-test: scripts/build-windows.sh failed (exit code $status)" >&2
  exit 1
fi
mkdir -p "$logs"
if [ -n "${WX_MSW_PREFIX:-}" ]; then
  toolkit="given by WX_MSW_PREFIX=$WX_MSW_PREFIX"
elif [ "$(toolkits)" != "$before" ]; then
  toolkit="built into $cache"
else
  toolkit="from cache"
fi
summary+=("build            ${seconds} s, the toolkit $toolkit")
for exe in pemdaro.exe unit_tests.exe; do
  if [ ! -f "$win_build/$exe" ]; then
    echo "windows-test: scripts/build-windows.sh made no $win_build/$exe" >&2
    exit 1
  fi
  summary+=("$(printf '%-16s %s bytes' "$exe" "$(stat -c %s "$win_build/$exe")")")
done

# ---- unit_tests.exe under Wine --------------------------------------------------------------
# A private prefix of the build folder; the tests run from the source folder, as on Linux.
export WINEPREFIX="$win_build/wineprefix"
# Wine names the files it makes on the Linux side in the locale's character set: without
# a UTF-8 locale (a bare machine has none set) the tests' Japanese folder names and the
# installer's "はじめにお読みください.txt" cannot be made.
export LANG=C.UTF-8
unset LC_ALL
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
fi
status=0
(cd "$root" && wine "$win_build/unit_tests.exe") 2>&1 | tee "$logs/unit_tests.log" ||
  status=$?
wineserver -w || true
gtest_count() {  # the number gtest prints after "[  $1 ]", 0 when it prints none
  local n
  n=$(sed -n "s/^\[ *$1 *\] \([0-9]*\) tests\{0,1\}[,.].*/\1/p" "$logs/unit_tests.log" |
    tail -n 1)
  echo "${n:-0}"
}
counts="$(gtest_count PASSED) passed, $(gtest_count SKIPPED) skipped, $(gtest_count FAILED) failed"
summary+=("$(printf '%-16s %s' unit_tests.exe "$counts")")
if [ "$status" -ne 0 ]; then
  failed+=(unit_tests.exe)
fi
wineserver -k 2>/dev/null || true

# ---- the end-to-end scripts -----------------------------------------------------------------
for script in "$root"/tests/e2e-win/*_e2e.sh; do
  name=$(basename "$script" .sh)
  start=$(date +%s)
  status=0
  WIN_BUILD="$win_build" LINUX_BUILD="$linux_build" bash "$script" 2>&1 |
    tee "$logs/$name.log" || status=$?
  seconds=$(($(date +%s) - start))
  result=$(grep -E '^[0-9]+ (checks )?passed, [0-9]+ failed$' "$logs/$name.log" | tail -n 1 || true)
  summary+=("$(printf '%-16s %s in %d s' "$name" "${result:-no result line}" "$seconds")")
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
  fi
done
for file in "$win_build"/package/pemdaro-*-windows-x64.zip \
  "$win_build"/package/pemdaro-*-windows-x64-setup.exe; do
  if [ -f "$file" ]; then
    summary+=("$(printf '%-16s %s bytes' "$(basename "$file")" "$(stat -c %s "$file")")")
  fi
done

echo "windows summary:"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "windows-test: failed: ${failed[*]} (logs in $logs/)"
  exit 1
fi
