#!/bin/bash
# Builds pemdaro.exe and unit_tests.exe for 64-bit Windows with MinGW-w64 (POSIX threads)
# into build-win/: one static program that needs no DLL beyond the system's own (and
# wintop.exe, which tests/e2e-win/wine_e2e.sh uses).
#
#   scripts/build-windows.sh [--toolkit-only]
#
# The toolkit (wxWidgets 3.2 for MSW, static) is built once from Debian's source package
# (`apt-get source wxwidgets3.2`, which needs a deb-src line in the APT sources) into
#   ${PEMDARO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pemdaro}/wxmsw-<version>-<hash>/
# where <hash> is a short hash of the configure options below, and reused while they stay
# the same. WX_MSW_PREFIX=/path uses an already built toolkit instead (its bin/wx-config).
# When scripts/build-windows-libs.sh is there and prints a libical prefix, the exports are
# built too (PEMDARO_WIN_LIBICAL_PREFIX). JOBS sets the parallel jobs (2 by default).
#
# Prints the toolkit's prefix, the time its build took when it was built now, and the
# size of pemdaro.exe.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win"
jobs="${JOBS:-2}"
toolkit_only=0
if [ "${1:-}" = "--toolkit-only" ]; then
    toolkit_only=1
fi

missing=()
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres cmake ninja make; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "build-windows: missing: ${missing[*]}" >&2
    echo "apt-get install g++-mingw-w64-x86-64-posix mingw-w64 cmake ninja-build make" >&2
    exit 2
fi

wx_version=3.2.2
# What the program uses of the toolkit: core and base, printing, the common dialogs and
# controls. Everything else is left out, so the build is shorter; the Debian source has no
# bundled image or compression libraries, so those are off as well.
wx_options=(
    --disable-shared --enable-unicode
    --without-libpng --without-libjpeg --without-libtiff --without-expat --without-zlib
    --without-liblzma --without-opengl
    --disable-webview --disable-mediactrl --disable-stc --disable-richtext --disable-aui
    --disable-propgrid --disable-ribbon --disable-xrc --disable-html --disable-svg
    --disable-sound --disable-joystick
    --disable-sockets --disable-ipc --disable-protocols --disable-url --disable-fs_inet
    --disable-webrequest --disable-secretstore --disable-dialupman --disable-fswatcher
    --disable-mdi --disable-docview --disable-help --disable-mshtmlhelp
    --disable-calendar --disable-datepick --disable-timepick --disable-grid
    --disable-dataviewctrl --disable-treelist --disable-wizarddlg --disable-splash
    --disable-tipdlg --disable-animatectrl --disable-bannerwindow --disable-commandlinkbutton
    --disable-editablebox --disable-hyperlink --disable-addremovectrl
    --disable-debugreport --disable-uiactionsim
    --disable-postscript --disable-tarstream --disable-zipstream --disable-fs_archive
    --disable-fs_zip
)

build_toolkit() {
    local cache="${PEMDARO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pemdaro}"
    local hash
    hash="$(printf '%s\n' "$wx_version" "${wx_options[@]}" | sha256sum | cut -c1-10)"
    local home="$cache/wxmsw-$wx_version-$hash"
    local prefix="$home/inst"
    if [ -x "$prefix/bin/wx-config" ] && [ -f "$home/done" ]; then
        echo "$prefix"
        return
    fi
    mkdir -p "$home"
    if [ ! -d "$home/src" ]; then
        rm -rf "$home/get"
        mkdir -p "$home/get"
        if ! (cd "$home/get" && apt-get source --download-only wxwidgets3.2 >&2); then
            echo "build-windows: 'apt-get source wxwidgets3.2' failed; it needs a deb-src line" >&2
            echo "in the APT sources (a copy of debian.sources with 'Types: deb-src', then" >&2
            echo "apt-get update) and dpkg-dev" >&2
            exit 2
        fi
        (cd "$home/get" && dpkg-source -x ./*.dsc src >&2)
        mv "$home/get/src" "$home/src"
        rm -rf "$home/get"
    fi
    rm -rf "$home/build" "$prefix"
    mkdir -p "$home/build"
    local started
    started=$(date +%s)
    # (set -e does not hold inside a subshell tested by ||: each step is chained.)
    (
        cd "$home/build" &&
            ../src/configure --host=x86_64-w64-mingw32 --build="$(../src/config.guess)" \
                CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
                --prefix="$prefix" "${wx_options[@]}" &&
            make -j "$jobs" &&
            make install
    ) >"$home/build.log" 2>&1 || {
        echo "build-windows: the toolkit's build failed; see $home/build.log" >&2
        tail -20 "$home/build.log" >&2
        exit 1
    }
    local seconds=$(($(date +%s) - started))
    printf 'options: %s\nseconds: %s\n' "${wx_options[*]}" "$seconds" >"$home/done"
    echo "build-windows: toolkit built in ${seconds} s into $prefix" >&2
    echo "$prefix"
}

if [ -n "${WX_MSW_PREFIX:-}" ]; then
    prefix="$WX_MSW_PREFIX"
    if [ ! -x "$prefix/bin/wx-config" ]; then
        echo "build-windows: no bin/wx-config in WX_MSW_PREFIX=$prefix" >&2
        exit 2
    fi
else
    prefix="$(build_toolkit)"
fi
echo "toolkit: $prefix"
if [ "$toolkit_only" = 1 ]; then
    exit 0
fi

extra=()
if [ -x "$root/scripts/build-windows-libs.sh" ]; then
    libical="$("$root/scripts/build-windows-libs.sh" | tail -1)"
    extra+=("-DPEMDARO_WIN_LIBICAL_PREFIX=$libical")
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DPEMDARO_GUI=ON -DPEMDARO_BENCH=OFF -DWX_MSW_PREFIX="$prefix" "${extra[@]}"
cmake --build "$build" --target pemdaro wintop unit_tests table_roundtrip -j "$jobs"
x86_64-w64-mingw32-strip "$build/pemdaro.exe"
echo "pemdaro.exe: $(stat -c %s "$build/pemdaro.exe") bytes"
