#!/usr/bin/env bash
# Cross-builds the whole program and its tests for 64-bit Windows with MinGW-w64 and Qt's base
# cross-built by build-qt-windows.sh (cached), runs the tests under Wine, and runs the program
# under Wine in a private X server against the simulator. Debian 12; installs what it needs.
#   scripts/windows-cross-test.sh     build into build-win64/ and run everything
# BUILD_DIR=... builds elsewhere; JOBS=... sets the parallel jobs (2 by default);
# WINDOWS_GUI=off builds and tests only what needs no Qt (no Qt build, no program run);
# SCREENSHOT=file.png keeps the program's window as it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash
source scripts/without-clock-right.bash

packages=(cmake ninja-build g++-mingw-w64-x86-64 wine64 googletest python3)
gui=${WINDOWS_GUI:-on}
[ "$gui" = off ] || packages+=(xvfb xauth trayer xdotool x11-utils imagemagick)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
fi

build=${BUILD_DIR:-build-win64}
jobs=${JOBS:-2}
qt_options=(-DQUORVANE_BUILD_GUI=OFF)
if [ "$gui" != off ]; then
    qt=$(JOBS=$jobs scripts/build-qt-windows.sh | tail -n 1)
    qt_options=(-DQUORVANE_BUILD_GUI=ON -DCMAKE_PREFIX_PATH="$qt"
                -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
fi

# A Wine prefix of its own, thrown away afterwards; no Wine chatter.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-wine.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
wineserver=/usr/lib/wine/wineserver
helpers=()
cleanup() {
    local pid
    for pid in "${helpers[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
trap cleanup EXIT

# -O2 without debug information: debug information doubles the build time, and CMake's -O3
# trips a false -Wrestrict warning in GCC 12's std::string.
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    "${qt_options[@]}" >/dev/null
cmake --build "$build" -j "$jobs"

# One server for all the test programs, and the prefix made once before they start.
wine=$(grep -m1 '^QUORVANE_WINE:' "$build/CMakeCache.txt" | cut -d= -f2-)
[ -x "$(dirname "$wine")/wineserver" ] && wineserver="$(dirname "$wine")/wineserver"
"$wineserver" -p >/dev/null 2>&1  # the server keeps this output; its exit dump is noise
"$wine" wineboot --init >/dev/null 2>&1

# Two COM ports joined as by a null-modem cable, for the serial component's tests.
python3 tests/win32/com_pair.py "$prefix/dosdevices" 201 202 >"$prefix/com_pair.log" 2>&1 &
helpers+=($!)
for _ in $(seq 50); do
    grep -q ready "$prefix/com_pair.log" && break
    sleep 0.2
done
grep -q ready "$prefix/com_pair.log" || { cat "$prefix/com_pair.log"; exit 1; }
export QUORVANE_TEST_COM_PAIR=201,202

if [ "$gui" != off ]; then
    # The Qt tests find Qt's DLLs and the compiler's run-time through Wine's search path.
    WINEPATH=$("$wine" winepath -w "$qt/bin")
    for dll in libstdc++-6.dll libwinpthread-1.dll; do
        folder=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
        WINEPATH+=";$("$wine" winepath -w "$folder")"
    done
    export WINEPATH
fi
ctest --test-dir "$build" -j "$jobs" --output-on-failure

if [ "$gui" != off ]; then
    echo "=== The program under Wine against the simulator ==="
    rm -rf "$build/portable"
    cmake --install "$build" --prefix "$build/portable" --strip >/dev/null
    # The simulator is a Linux program: built by the normal build, or here.
    sim=${NMEA_SIM:-build/bin/nmea-sim}
    if [ ! -x "$sim" ]; then
        cmake --preset default >/dev/null
        cmake --build --preset default -j "$jobs" --target nmea-sim >/dev/null
    fi
    unset WINEPATH  # the installed folder must run as it is
    status=0
    bash tests/win32/program_under_wine.sh "$build/portable" "$sim" "${SCREENSHOT:-}" || status=$?
    # 77: skipped, saying why (no X server could be started here).
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || exit "$status"
fi
