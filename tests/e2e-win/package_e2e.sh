#!/usr/bin/env bash
# The Windows downloads as a user gets them: packs $WIN_BUILD/pemdaro.exe with
# scripts/package-windows.sh into $PACKAGE_DIR (default $WIN_BUILD/package), checks the
# zip's listing and read-me, then under Wine, in a fresh private prefix, installs with the
# setup's /S and checks the files, the Start-menu shortcut, the Add/Remove Programs entry
# and the installed program's start (when Xvfb is there), uninstalls with /S and checks
# that everything went but the user's table in %APPDATA%\Pemdaro\. Last, two failures:
# the uninstaller leaves a file it did not install, and an installation that cannot write
# the program ends with exit code 2 and registers nothing.
#
#   WIN_BUILD=build-win bash tests/e2e-win/package_e2e.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win_build=$(cd "${WIN_BUILD:-$root/build-win}" && pwd)
out=${PACKAGE_DIR:-$win_build/package}
exe="$win_build/pemdaro.exe"
source "$root/tests/e2e/lib.sh"

bash "$root/scripts/package-windows.sh" "$win_build" "$out"
version=$(sed -n 's/^project(Pemdaro VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
zip="$out/pemdaro-$version-windows-x64.zip"
setup="$out/pemdaro-$version-windows-x64-setup.exe"
readme="はじめにお読みください.txt"

# ---- the zip --------------------------------------------------------------------------------
LC_ALL=C.UTF-8 zipinfo "$zip"
# The packages hold the built program without its debugging information, with the time
# of its PE header kept.
pe_time=$(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(4096)
print(struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 8)[0])' "$exe")
SOURCE_DATE_EPOCH=$pe_time x86_64-w64-mingw32-strip -o "$out/expected.exe" "$exe"
exe="$out/expected.exe"
# Runs a Python check on the zip: the code gets `z` (the open ZipFile) and `exe` and
# `license` (the built program's and the LICENSE's bytes) and exits non-zero with a reason.
zip_check() {
  python3 - "$zip" "$exe" "$root/LICENSE" "$1" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
exe = open(sys.argv[2], "rb").read()
license = open(sys.argv[3], "rb").read()
exec(sys.argv[4])
PY
}
check "the zip holds pemdaro.exe, the read-me and LICENSE.txt" zip_check "
names = z.namelist()
sys.exit(names != ['pemdaro.exe', '$readme', 'LICENSE.txt'] and f'{names}')"
check "the read-me's name carries the UTF-8 flag" zip_check "
sys.exit(not z.getinfo('$readme').flag_bits & 0x800)"
check "the zip's pemdaro.exe is the built one, stripped" zip_check "sys.exit(z.read('pemdaro.exe') != exe)"
check "LICENSE.txt is the LICENSE with CR LF line ends" zip_check "
sys.exit(z.read('LICENSE.txt') != license.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n'))"
check "the read-me is UTF-8 with a byte order mark and CR LF line ends only" zip_check "
data = z.read('$readme')
body = data[3:].decode('utf-8')  # fails on bytes that are not UTF-8
bare = body.replace('\r\n', '')
sys.exit(not data.startswith(b'\xef\xbb\xbf') or '\r' in bare or '\n' in bare)"
check "the read-me says where the table is kept and how to uninstall" zip_check "
text = z.read('$readme').decode('utf-8-sig')
words = ['$version', 'USB', 'pemdaro.exe', 'kelnova.txt', 'kelnova.ini', 'DATA_DIR',
         '%APPDATA%\\\\Pemdaro\\\\', 'アンインストール']
sys.exit([w for w in words if w not in text] or None)"

# ---- the installer under Wine ---------------------------------------------------------------
export WINEPREFIX="$out/wineprefix"
# Wine names the files it makes on the Linux side in the locale's character set: without
# a UTF-8 locale (a bare machine has none set) "はじめにお読みください.txt" cannot be made.
export LANG=C.UTF-8
unset LC_ALL
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs, and no menu entries of this machine's desktop for the
# shortcut the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
PROGRAM_PID=""
finish_up() {
  [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
}
trap finish_up EXIT
rm -rf "$WINEPREFIX"
# The silent installation and removal need no display: none is given to them.
unset DISPLAY
wineboot --init >/dev/null 2>&1 || true
# wineboot can return while what it started still fills the prefix: the user's folders and
# their variables are there once the server has no process left.
wineserver -w || true
windows_path() {  # the Linux path of the folder a Windows variable names; empty if none
  local value="" path="" try
  for try in 1 2 3; do
    value=$(wine cmd /c "echo $1" 2>/dev/null | tr -d '\r') || true
    if [ -n "$value" ] && [ "$value" != "$1" ]; then
      path=$(winepath -u "$value" 2>/dev/null) || true
      if [ -n "$path" ] && [ -d "$path" ]; then
        echo "$path"
        return 0
      fi
    fi
    wineserver -w || true
    sleep 1
  done
  echo "package_e2e: Wine names no folder for $1 (it answered '$value', '$path')" >&2
}
appdata=$(windows_path '%APPDATA%')
programs="$(windows_path '%ProgramData%')/Microsoft/Windows/Start Menu/Programs"
install_dir="$WINEPREFIX/drive_c/Program Files/Pemdaro"
uninstaller='C:\Program Files\Pemdaro\uninstall.exe'
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pemdaro'
check "Wine gives %APPDATA% and %ProgramData%" test -d "$appdata" -a -d "${programs%/Microsoft*}"

# A user's table from before, in CP932 with CR LF ("会議").
mkdir -p "$appdata/Pemdaro"
{
  printf '# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n'
  printf '# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
  printf '20261208,0930,1000,1,\x89\xef\x8b\x63,\r\n'
} >"$appdata/Pemdaro/kelnova.txt"
cp "$appdata/Pemdaro/kelnova.txt" "$out/user-table"
table_kept() { cmp -s "$appdata/Pemdaro/kelnova.txt" "$out/user-table"; }

run_windows() {  # run_windows PROGRAM ARGS...: its exit code, once every process has ended
  local status=0
  wine "$@" || status=$?
  wineserver -w
  return "$status"
}
status=0
run_windows "$setup" /S || status=$?
check "the silent installation succeeds (exit code $status)" [ "$status" -eq 0 ]
for file in pemdaro.exe LICENSE.txt "$readme" uninstall.exe; do
  check "installed: Program Files\\Pemdaro\\$file" [ -f "$install_dir/$file" ]
done
check "the installed pemdaro.exe is the built one, stripped" cmp -s "$install_dir/pemdaro.exe" "$exe"
check "nothing goes to Program Files (x86)" \
  [ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Pemdaro" ]
check "the Start-menu shortcut Pemdaro.lnk is there for every user" [ -f "$programs/Pemdaro.lnk" ]
# The link's target is stored as a path in the ANSI code page and/or UTF-16.
link_points_at_program() {
  python3 - "$programs/Pemdaro.lnk" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
target = "C:\\Program Files\\Pemdaro\\pemdaro.exe"
sys.exit(target.encode("ascii") not in data and target.encode("utf-16-le") not in data)
PY
}
check "the shortcut starts the installed pemdaro.exe" link_points_at_program

# One value of the uninstall key as `reg query` prints it: "NAME    TYPE    DATA".
reg_value() {
  wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; exit }'
}
wine reg query "$key" | tr -d '\r'
check "Add/Remove Programs: DisplayName" [ "$(reg_value DisplayName)" = Pemdaro ]
check "Add/Remove Programs: DisplayVersion $version" [ "$(reg_value DisplayVersion)" = "$version" ]
check "Add/Remove Programs: Publisher" [ -n "$(reg_value Publisher)" ]
check "Add/Remove Programs: UninstallString" \
  [ "$(reg_value UninstallString)" = "\"$uninstaller\"" ]
check "Add/Remove Programs: QuietUninstallString with /S" \
  [ "$(reg_value QuietUninstallString)" = "\"$uninstaller\" /S" ]
check "Add/Remove Programs: DisplayIcon is the program's" \
  [ "$(reg_value DisplayIcon)" = 'C:\Program Files\Pemdaro\pemdaro.exe,0' ]
# EstimatedSize is in KiB: the installed files' sizes, each rounded down.
files_kib=$(find "$install_dir" -type f -printf '%s\n' | awk '{ s += int($1 / 1024) } END { print s }')
size_kib=$(($(reg_value EstimatedSize)))
check "Add/Remove Programs: EstimatedSize $size_kib KiB is the installed files' $files_kib KiB" \
  test "$size_kib" -ge "$files_kib" -a "$size_kib" -le $((files_kib + 4))
check "the key is in the 64-bit registry, not under WOW6432Node" \
  sh -c "! wine reg query 'HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pemdaro' >/dev/null 2>&1"

# ---- the installed program started as the shortcut does -------------------------------------
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
  start_xvfb
  (cd "$install_dir" && exec wine 'C:\Program Files\Pemdaro\pemdaro.exe' \
    >"$out/program.log" 2>&1) &
  PROGRAM_PID=$!
  check "the installed program opens its window" wait_for 120 has_main_window
  if [ -n "${PEMDARO_SHOT:-}" ]; then
    import -window root -depth 8 "$PEMDARO_SHOT"
  fi
  # Removing it while it runs removes nothing and says so. "_?=" runs the uninstaller in
  # place, so its own exit code comes back; Wine would quote the folder as one argument,
  # which NSIS does not take, so it goes as two.
  status=0
  wine "$uninstaller" /S '_?=C:\Program' 'Files\Pemdaro' || status=$?
  check "removing the running program fails (exit code $status, not 0)" [ "$status" -eq 2 ]
  check "... and keeps its files and its shortcut" \
    test -f "$install_dir/pemdaro.exe" -a -f "$programs/Pemdaro.lnk"
  check "... and its Add/Remove Programs entry" \
    sh -c "wine reg query '$key' /v DisplayName >/dev/null 2>&1"
  # Wine's taskkill without /f closes the windows, as the close box does.
  wine taskkill /im pemdaro.exe >/dev/null 2>&1 || true
  check "it ends when its window is closed" wait_for 30 is_gone "$PROGRAM_PID"
  [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
  wineserver -w
  kill "$E2E_XVFB_PID" 2>/dev/null || true
  E2E_XVFB_PID=""
  unset DISPLAY
  # An installed copy keeps its table in %APPDATA%\Pemdaro\ even when, as under Wine, it
  # may write to its own folder.
  check "the program wrote nothing beside itself" \
    [ "$(ls -A "$install_dir" | sort | tr '\n' ' ')" = "LICENSE.txt pemdaro.exe uninstall.exe $readme " ]
  check "the user's table is as it was" table_kept
else
  echo "skip - no Xvfb: the installed program was not started"
fi

# ---- the silent removal ---------------------------------------------------------------------
# As Add/Remove Programs runs it: the uninstaller copies itself to %TEMP%, starts that copy
# and ends at once (exit code 0 whatever the copy does); run_windows waits for the copy
# too (wineserver -w), and what it left shows how it went.
run_windows "$uninstaller" /S
check "the program folder is gone" [ ! -e "$install_dir" ]
check "the shortcut is gone" [ ! -e "$programs/Pemdaro.lnk" ]
check "the Add/Remove Programs entry is gone" \
  sh -c "! wine reg query '$key' >/dev/null 2>&1"
check "the user's table in %APPDATA%\\Pemdaro\\ stays as it was" table_kept

# ---- what the uninstaller must not remove, and an installation that fails --------------------
rm -rf "$install_dir"  # from a clean folder, whatever was left above
run_windows "$setup" /S
printf 'kept\r\n' >"$install_dir/notes.txt"
run_windows "$uninstaller" /S
check "the uninstaller removes only the files it installed" \
  [ "$(ls -A "$install_dir" 2>/dev/null)" = notes.txt ]
rm -rf "$install_dir"

# A folder where the program file goes: the file cannot be written.
mkdir -p "$install_dir/pemdaro.exe"
status=0
run_windows "$setup" /S || status=$?
check "an installation that cannot write the program fails (exit code $status, not 0)" \
  [ "$status" -eq 2 ]
check "the failed installation registers nothing" sh -c "! wine reg query '$key' >/dev/null 2>&1"
check "the failed installation makes no shortcut" [ ! -e "$programs/Pemdaro.lnk" ]
check "the user's table stays as it was throughout" table_kept

# The prefix takes some 700 MB: it is kept only to look into a failure.
if [ "$E2E_FAILURES" -eq 0 ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
finish
