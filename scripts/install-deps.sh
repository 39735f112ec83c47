#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Pemdaro need.
# Idempotent: when everything is present it changes nothing and asks no registry.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libglib2.0-dev fonts-ipafont-gothic
  # The month's PDF page: cairo and pango without the toolkit; poppler's tools check it.
  libcairo2-dev libpango1.0-dev poppler-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick
  # pgrep, pkill and ps of the end-to-end tests: not in a minimal Debian.
  procps
  # The reminders' end-to-end test: a private session bus (dbus-run-session, gdbus) and a
  # notification service that logs what it is sent.
  dbus-daemon libglib2.0-bin python3-dbusmock
  # The Debian package and its checks (scripts/package-test.sh).
  debhelper lintian desktop-file-utils appstream
  # The iCalendar export, and the programs its end-to-end test imports the files with.
  libical-dev python3-icalendar calcurse khal libreoffice-calc-nogui
  # The fuzz build: clang 14 with its runtime libraries, which hold libFuzzer
  # (libclang_rt.fuzzer) and the sanitizers.
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
