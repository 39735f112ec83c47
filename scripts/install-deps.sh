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
  # The Windows build and its tests (scripts/windows-test.sh): MinGW-w64 with POSIX threads,
  # googletest's sources for unit_tests.exe, Wine (64-bit only: the program and its
  # installer are x64), NSIS for the installer and zipinfo for the zip's check.
  g++-mingw-w64-x86-64-posix mingw-w64 googletest wine wine64 nsis unzip
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

# The Windows build makes wxWidgets from Debian's source package (apt-get source), which
# needs the deb-src lines of the configured archives and their source lists.
update_needed=0
if [ -f /etc/apt/sources.list.d/debian.sources ] &&
  [ ! -f /etc/apt/sources.list.d/debian-src.sources ]; then
  echo "Adding /etc/apt/sources.list.d/debian-src.sources"
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
fi
# A machine configured in the older one-line format gets the deb-src twins of its lines.
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list &&
  ! grep -q '^deb-src ' /etc/apt/sources.list &&
  [ ! -f /etc/apt/sources.list.d/debian-src.list ]; then
  echo "Adding /etc/apt/sources.list.d/debian-src.list"
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
    $SUDO tee /etc/apt/sources.list.d/debian-src.list >/dev/null
fi
if ! compgen -G '/var/lib/apt/lists/*_Sources*' >/dev/null; then
  update_needed=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  if [ "$update_needed" = 1 ]; then
    $SUDO apt-get update
  fi
  exit 0
fi

echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
