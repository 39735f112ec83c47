#!/bin/bash
# Cross-builds the C libraries that the Windows program needs besides wxWidgets (today
# libical, for the iCalendar export) with MinGW-w64, static, into a cache folder shared by
# every build folder and worktree:
#
#   ${PEMDARO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pemdaro}/libical-<version>-<hash>/
#
# <hash> is a short hash of the version and the configure options below, so a change of
# either builds a new folder and an old one is never reused by mistake.
#
#   scripts/build-windows-libs.sh                 build when not built yet; the prefix is the
#                                                 last line of stdout (all build output goes
#                                                 to stderr)
#   scripts/build-windows-libs.sh --print-prefix  print the prefix only, build nothing; exit 0
#                                                 when it is built, 1 when not yet
#
# Callers: scripts/build-windows.sh passes the prefix to CMake as
# -DPEMDARO_WIN_LIBICAL_PREFIX=<prefix>.
#
# The source is Debian's (apt-get source libical3, which needs a deb-src entry in apt's
# sources). The orig tarball is checked against the SHA-256 sum the .dsc gives; Debian's
# patches are applied through dpkg-source when the .debian.tar.xz could be fetched too.
# Needs g++-mingw-w64-x86-64-posix, cmake, ninja, perl and dpkg-dev. JOBS sets the
# parallel jobs (1 by default).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${PEMDARO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pemdaro}"
jobs="${JOBS:-1}"
version=3.0.16
package=libical3

# libical's own options: static only, no GLib, ICU, Berkeley DB, C++ bindings, Vala,
# introspection, documents or tests; the time zone data built into the library (Windows
# has no zoneinfo folder).
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DSTATIC_ONLY=ON
    -DSHARED_ONLY=OFF
    -DUSE_BUILTIN_TZDATA=ON
    -DICAL_GLIB=OFF
    -DICAL_GLIB_VAPI=OFF
    -DGOBJECT_INTROSPECTION=OFF
    -DICAL_BUILD_DOCS=OFF
    -DLIBICAL_BUILD_TESTING=OFF
    -DWITH_CXX_BINDINGS=OFF
    -DENABLE_GTK_DOC=OFF
    -DCMAKE_DISABLE_FIND_PACKAGE_ICU=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_BDB=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_Doxygen=ON
)
hash="$(printf '%s\n' "$version" "${options[@]}" "$(cat "$root/cmake/mingw-w64-x86_64.cmake")" |
    sha256sum | cut -c1-10)"
prefix="$cache/libical-$version-$hash"

if [ "${1:-}" = "--print-prefix" ]; then
    echo "$prefix"
    [ -f "$prefix/.built" ]
    exit
fi
if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    exit 0
fi

missing=()
for tool in x86_64-w64-mingw32-gcc-posix cmake ninja perl apt-get dpkg-source sha256sum; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "build-windows-libs: missing: ${missing[*]}" >&2
    echo "apt-get install g++-mingw-w64-x86-64-posix mingw-w64 cmake ninja-build perl dpkg-dev" >&2
    exit 2
fi

work="$cache/libical-$version-$hash.work"
rm -rf "$work"
mkdir -p "$work/download"
{
    cd "$work/download"
    # A missing .debian.tar.xz (an outdated mirror) is not fatal: the orig tarball is
    # checked below.
    apt-get source --download-only "$package=$version-1" || true
    dsc="${package}_$version-1.dsc"
    orig="${package}_$version.orig.tar.gz"
    if [ ! -f "$dsc" ] || [ ! -f "$orig" ]; then
        echo "build-windows-libs: could not fetch $dsc and $orig (is deb-src in apt's sources?)"
        exit 2
    fi
    want="$(awk '/^Checksums-Sha256:/{s=1; next} /^[^ ]/{s=0} s && $3 == "'"$orig"'" {print $1}' "$dsc")"
    got="$(sha256sum "$orig" | cut -d' ' -f1)"
    if [ -z "$want" ] || [ "$want" != "$got" ]; then
        echo "build-windows-libs: $orig does not match the sum in $dsc"
        exit 2
    fi
    if [ -f "${package}_$version-1.debian.tar.xz" ]; then
        dpkg-source --no-check -x "$dsc" "$work/src"
    else
        echo "build-windows-libs: ${package}_$version-1.debian.tar.xz not available;" \
            "building the upstream source without Debian's patches"
        mkdir -p "$work/src"
        tar xzf "$orig" -C "$work/src" --strip-components=1
    fi

    start=$(date +%s)
    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}"
    cmake --build "$work/build" -j "$jobs"
    rm -rf "$prefix"
    cmake --install "$work/build"
    echo "build-windows-libs: libical $version built in $(($(date +%s) - start)) s," \
        "$(du -sk "$prefix" | cut -f1) KiB installed"
} >&2
touch "$prefix/.built"
rm -rf "$work"
echo "$prefix"
