#!/usr/bin/env bash
# Cross-builds the core, the Windows platform code and their tests for 64-bit Windows with
# MinGW-w64, and runs the tests under Wine, headless. Debian 12; installs what it needs.
#   scripts/windows-cross-test.sh     build into build-win64/ and run every test
# BUILD_DIR=... builds elsewhere; JOBS=... sets the parallel jobs (2 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash
source scripts/without-clock-right.bash

packages=(cmake ninja-build g++-mingw-w64-x86-64 wine64 googletest)
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

# A Wine prefix of its own, thrown away afterwards; no window, no Wine chatter.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-wine.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
wineserver=/usr/lib/wine/wineserver
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

# -O2 without debug information: debug information doubles the build time, and CMake's -O3
# trips a false -Wrestrict warning in GCC 12's std::string.
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DQUORVANE_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$jobs"

# One server for all the test programs, and the prefix made once before they start.
wine=$(grep -m1 '^QUORVANE_WINE:' "$build/CMakeCache.txt" | cut -d= -f2-)
[ -x "$(dirname "$wine")/wineserver" ] && wineserver="$(dirname "$wine")/wineserver"
"$wineserver" -p
"$wine" wineboot --init >/dev/null 2>&1

ctest --test-dir "$build" -j "$jobs" --output-on-failure
