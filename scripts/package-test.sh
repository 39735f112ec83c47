#!/usr/bin/env bash
# Builds the Debian package from the tree, checks it as a distribution would (the desktop
# entry, the metainfo, lintian), installs it with apt-get, and edits a day in the
# installed program started from its desktop entry's Exec line under Xvfb, with a fresh
# HOME: the table must appear in ~/.local/share/pemdaro/, and removing the package must
# leave it there. Run it after scripts/test.sh (or alone: it installs what it needs).
# It installs and removes the package `pemdaro` on this machine: for CI, or as root or
# with sudo where that is wanted. Leaves the package and lintian's report in
# $PEMDARO_PACKAGE_OUT (default build-package/ in the tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${PEMDARO_PACKAGE_OUT:-$root/build-package}
app_id=io.github.pemdaro.Pemdaro
bash "$root/scripts/install-deps.sh"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

# ---- the files a desktop reads -------------------------------------------------------------
desktop-file-validate "$root/data/$app_id.desktop"
appstreamcli validate --no-net "$root/data/$app_id.metainfo.xml"

# ---- the package, built from a copy of the tree without build folders --------------------
rm -rf "$out"
mkdir -p "$out/src"
tar -C "$root" --exclude='./build*' --exclude='./obj-*' --exclude='./.git' \
  --exclude='./debian/pemdaro' --exclude='./debian/.debhelper' -cf - . | tar -C "$out/src" -xf -
(cd "$out/src" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -b)
deb=$(ls "$out"/pemdaro_*.deb)
# Errors fail the run; warnings and notes are listed for the record.
lintian --fail-on error --display-info "$out"/pemdaro_*.changes | tee "$out/lintian.txt"

# ---- installed as a user installs it -------------------------------------------------------
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --reinstall "$deb"
dpkg -L pemdaro | tee "$out/files.txt"

PEMDARO=/usr/bin/pemdaro
source "$root/tests/e2e/lib.sh"
TOP_DIR=$(mktemp -d /tmp/pemdaro-home.XXXXXX)
chmod 755 "$TOP_DIR"
# A home folder deep enough that ~/.config/pemdaro/kelnova.ini is longer than 99 bytes.
HOME_DIR="$TOP_DIR/a-home-folder-as-deep-as-some-networked-homes-are/user"
mkdir -p "$HOME_DIR"
PEMDARO_PID=""
finish_up() {
  [ -n "$PEMDARO_PID" ] && kill -9 "$PEMDARO_PID" 2>/dev/null || true
  [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
  rm -rf "$TOP_DIR"
}
trap 'cat "$HOME_DIR"/*.log 2>/dev/null; finish_up' EXIT

for file in /usr/bin/pemdaro /usr/share/applications/$app_id.desktop \
  /usr/share/metainfo/$app_id.metainfo.xml /usr/share/man/man1/pemdaro.1.gz \
  /usr/share/icons/hicolor/scalable/apps/$app_id.svg /usr/share/doc/pemdaro/copyright; do
  check "installed: $file" [ -f "$file" ]
done
for size in 16 24 32 48 64 128 256; do
  check "installed: the ${size}x$size icon" \
    [ -f "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" ]
done
check "the package depends on the Japanese font" \
  sh -c "dpkg-query -W -f='\${Depends}' pemdaro | grep -q fonts-ipafont-gothic"
check "the package depends on the toolkit it was linked with" \
  sh -c "dpkg-query -W -f='\${Depends}' pemdaro | grep -q libwxgtk3.2"

# The command of the desktop entry, without its field codes, as a launcher runs it: from
# the home folder, with a fresh HOME and no XDG folders set.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/$app_id.desktop | head -n 1 |
  sed 's/ *%[fFuUdDnNickvm]//g')
check "the desktop entry has an Exec line" [ -n "$exec_line" ]
start_xvfb
mkdir -p "$HOME_DIR/run"
chmod 700 "$HOME_DIR/run"
(cd "$HOME_DIR" && exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME \
  HOME="$HOME_DIR" XDG_RUNTIME_DIR="$HOME_DIR/run" sh -c "exec $exec_line" \
  >"$HOME_DIR/stdout.log" 2>"$HOME_DIR/stderr.log") &
PEMDARO_PID=$!
check "the main window appears" wait_for 60 has_main_window
table="$HOME_DIR/.local/share/pemdaro/kelnova.txt"
check "the data folder is made with mode 0700" \
  [ "$(stat -c %a "$HOME_DIR/.local/share/pemdaro" 2>/dev/null)" = 700 ]
check "nothing is written beside the program" [ ! -e /usr/bin/kelnova.txt ]

# A timed entry on day 20 with the quick-pick buttons, as edit_e2e.sh does.
origin() { geometry "$1" | awk '{print $1, $2}'; }
click_in() {
  local id=$1 x=$2 y=$3 ox oy
  [ -n "$id" ] || return 0
  read -r ox oy < <(origin "$id")
  xdotool mousemove $((ox + x)) $((oy + y)) click 1
}
dialog_named() { windows_named "$1" | head -n 1; }
has_dialog() { [ -n "$(dialog_named "$1")" ]; }
no_dialog() { ! has_dialog "$1"; }
xdotool mousemove 500 $((20 + 3 * 27 + 13)) click --repeat 2 --delay 40 1
check "a double-click on day 20 opens 予定編集" wait_for 10 has_dialog "予定編集"
DAY=$(dialog_named "予定編集")
click_in "$DAY" 282 226
check "追加... opens 時間予定記入" wait_for 10 has_dialog "時間予定記入"
TIME=$(dialog_named "時間予定記入")
click_in "$TIME" 192 70  # ９
click_in "$TIME" 385 70  # ３０
click_in "$TIME" 220 70  # １０
click_in "$TIME" 357 70  # ００
click_in "$TIME" 150 215
xdotool type --delay 20 "installed"
click_in "$TIME" 304 256
check "the time entry dialog closes on OK" wait_for 10 no_dialog "時間予定記入"
click_in "$DAY" 276 337
check "the day dialog closes on OK" wait_for 10 no_dialog "予定編集"
row="$(date +%Y%m)20,0930,1000,1,installed,"
has_row() { grep -q "^$row"$'\r'"$" "$table"; }
check "the day is saved in ~/.local/share/pemdaro/kelnova.txt" wait_for 10 has_row
# The header of the current month is painted white.
header_painted() { [ "$(pixel 600 10)" = 255,255,255 ]; }
check "the month is painted" wait_for 10 header_painted
if [ -n "${PEMDARO_SHOT:-}" ]; then
  import -window root -depth 8 "$PEMDARO_SHOT"
fi
kill -TERM "$PEMDARO_PID"
check "SIGTERM ends the installed program" wait_for 10 is_gone "$PEMDARO_PID"
PEMDARO_PID=""
check "its settings folder is ~/.config/pemdaro/" [ -d "$HOME_DIR/.config/pemdaro" ]

# DATA_DIR in ~/.config/pemdaro/kelnova.ini moves the table: the lock shows where it is.
mkdir -p "$HOME_DIR/elsewhere"
printf 'DATA_DIR=%s/elsewhere/\r\n' "$HOME_DIR" >"$HOME_DIR/.config/pemdaro/kelnova.ini"
(cd "$HOME_DIR" && exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME \
  HOME="$HOME_DIR" XDG_RUNTIME_DIR="$HOME_DIR/run" sh -c "exec $exec_line" \
  >"$HOME_DIR/stdout2.log" 2>"$HOME_DIR/stderr2.log") &
PEMDARO_PID=$!
check "the main window appears again" wait_for 60 has_main_window
locked_elsewhere() { [ -f "$HOME_DIR/elsewhere/.kelnova.txt.lock" ]; }
check "DATA_DIR of ~/.config/pemdaro/kelnova.ini is used" wait_for 10 locked_elsewhere
kill -TERM "$PEMDARO_PID"
check "SIGTERM ends it again" wait_for 10 is_gone "$PEMDARO_PID"
PEMDARO_PID=""

# ---- removed: the program goes, the user's data stays ---------------------------------------
DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y pemdaro
check "the program is removed" [ ! -e /usr/bin/pemdaro ]
check "the desktop entry is removed" [ ! -e /usr/share/applications/$app_id.desktop ]
check "the user's table survives the removal" has_row
finish
