#!/usr/bin/env bash
# Packs BUILD_DIR/pemdaro.exe for Windows users into OUT_DIR:
#   pemdaro-<version>-windows-x64.zip        pemdaro.exe, はじめにお読みください.txt and
#                                            LICENSE.txt, to run from a folder or a USB stick
#   pemdaro-<version>-windows-x64-setup.exe  the NSIS installer (packaging/windows/pemdaro.nsi)
# The version is the project version of CMakeLists.txt.
#
#   scripts/package-windows.sh BUILD_DIR OUT_DIR
#
# The read-me is UTF-8 with a byte order mark and CR LF line ends: Notepad reads a file
# with that mark as UTF-8 whatever the system's code page, where a CP932 file shows right
# only on a Japanese system (or where Notepad guesses so). The zip marks its names as
# UTF-8 (flag bit 11), which Windows' own zip folders read, so the Japanese name stays
# readable. pemdaro.exe goes in stripped of its debugging information. Needs nsis
# (makensis), imagemagick (the installer's icon), python3 and MinGW-w64's strip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ $# -ne 2 ]; then
  echo "usage: scripts/package-windows.sh BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build=$1
out=$2
exe="$build/pemdaro.exe"
readme_name="はじめにお読みください.txt"

missing=()
for tool in makensis convert python3 x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "package-windows: missing: ${missing[*]} (apt-get install nsis imagemagick python3 binutils-mingw-w64-x86-64)" >&2
  exit 2
fi
if [ ! -f "$exe" ]; then
  echo "package-windows: $exe is missing: build it with scripts/build-windows.sh" >&2
  exit 1
fi
# A 64-bit Windows program: "MZ", the PE header where e_lfanew points, machine 0x8664.
if ! python3 - "$exe" <<'PY'; then
import struct, sys
data = open(sys.argv[1], "rb").read(4096)
ok = data[:2] == b"MZ" and len(data) >= 64
if ok:
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    ok = data[pe:pe + 4] == b"PE\0\0" and struct.unpack_from("<H", data, pe + 4)[0] == 0x8664
sys.exit(0 if ok else 1)
PY
  echo "package-windows: $exe is not a 64-bit Windows program" >&2
  exit 1
fi

version=$(sed -n 's/^project(Pemdaro VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if ! [[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package-windows: no x.y.z project version in CMakeLists.txt (found '$version')" >&2
  exit 1
fi
base="pemdaro-$version-windows-x64"

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage="$out/stage"
rm -rf "$stage" "$out/$base.zip" "$out/$base-setup.exe"
mkdir -p "$stage"

# Without its debugging information, which is most of a RelWithDebInfo build's size: the
# build folder keeps the full program for that. strip would put the current time into the
# PE header; SOURCE_DATE_EPOCH keeps the build's own there.
pe_time=$(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(4096)
print(struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 8)[0])' "$exe")
SOURCE_DATE_EPOCH=$pe_time x86_64-w64-mingw32-strip -o "$stage/pemdaro.exe" "$exe"
# CR LF line ends (a CR already there is not doubled); the read-me gets the mark first.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }
{
  printf '\xef\xbb\xbf'
  sed "s/@VERSION@/$version/g" "$root/packaging/windows/readme-ja.txt" | crlf
} >"$stage/$readme_name"
crlf "$root/LICENSE" >"$stage/LICENSE.txt"
# The files carry the time of the last commit when there is one, so that packing the same
# tree twice gives the same zip.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)
if [ -n "$stamp" ]; then
  touch -d "@$stamp" "$stage"/*
fi

# The zip, written by Python's zipfile: it sets the UTF-8 flag on a name that is not ASCII
# (Debian's zip 3.0 stores such names as bytes without the flag, which Windows then reads in
# its own code page). The entries are in the order given, deflated, with the files' times.
python3 - "$out/$base.zip" "$stage" pemdaro.exe "$readme_name" LICENSE.txt <<'PY'
import os, sys, time, zipfile
target, stage, names = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in names:
        path = os.path.join(stage, name)
        info = zipfile.ZipInfo(name, time.localtime(os.stat(path).st_mtime)[:6])
        info.compress_type = zipfile.ZIP_DEFLATED
        # Made on Unix, with the mode for unzip and the archive bit for Windows: with
        # "MS-DOS" as the maker, Info-ZIP's unzip would read the names in an OEM code page
        # despite the UTF-8 flag.
        info.create_system = 3
        mode = 0o100755 if name.endswith(".exe") else 0o100644
        info.external_attr = mode << 16 | 0x20
        with open(path, "rb") as f:
            z.writestr(info, f.read())
with zipfile.ZipFile(target) as z:
    for info in z.infolist():
        if not info.filename.isascii() and not info.flag_bits & 0x800:
            sys.exit(f"package-windows: {info.filename} is not marked as UTF-8 in the zip")
PY

# The installer's icon, from the program's icon images of data/icons/hicolor/.
icons=()
for size in 16 24 32 48 64 128 256; do
  icons+=("$root/data/icons/hicolor/${size}x$size/apps/io.github.pemdaro.Pemdaro.png")
done
convert "${icons[@]}" "$out/pemdaro.ico"

LC_ALL=C.UTF-8 makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
  -DOUTFILE="$out/$base-setup.exe" -DICON="$out/pemdaro.ico" \
  "$root/packaging/windows/pemdaro.nsi"

echo "package-windows: $out/$base.zip: $(stat -c %s "$out/$base.zip") bytes"
echo "package-windows: $out/$base-setup.exe: $(stat -c %s "$out/$base-setup.exe") bytes"
