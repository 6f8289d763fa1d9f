#!/usr/bin/env bash
# Cross-builds Qt's base (Core, Gui, Widgets; shared, release) for 64-bit Windows with
# MinGW-w64, from Debian's own qt6-base source package, into a cache outside the checkout.
# Prints the install prefix on its last line. A warm cache costs seconds; a cold one about
# 17 minutes on two cores.
#   scripts/build-qt-windows.sh
# JOBS=... sets the parallel jobs (nproc by default); QUORVANE_CACHE=... moves the cache.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash
source scripts/debian-mirror.bash

packages=(cmake ninja-build g++-mingw-w64-x86-64 dpkg-dev qt6-base-dev qt6-base-dev-tools)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
fi

cache=${QUORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvane}
jobs=${JOBS:-$(nproc)}
triple=x86_64-w64-mingw32
cc=$(command -v $triple-gcc-posix)
cxx=$(command -v $triple-g++-posix)

# The source version the host's Qt tools come from: the cross build must match them.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

flags=(
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
)
# The key: the source version, the flags and the compiler, so a change of any builds anew.
key=$(printf '%s\n' "$version" "${flags[@]}" "$($cxx --version | head -n 1)" \
      | sha256sum | cut -c1-16)
prefix=$cache/qt6-mingw-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial" "$work/apt/etc/apt.conf.d" \
         "$work/apt/etc/preferences.d" "$work/apt/etc/sources.list.d"

# A private apt configuration with the deb-src entry, so the system's apt state is untouched.
# The keys and the archive are the system's own.
mirror=$(debian_mirror /etc/apt bookworm) || exit 1
cat > "$work/apt/etc/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main
EOF
cat > "$work/apt/apt.conf" <<EOF
Dir::Etc "$work/apt/etc";
Dir::Etc::sourcelist "$work/apt/etc/sources.list";
Dir::Etc::sourceparts "$work/apt/etc/sources.list.d";
Dir::Etc::parts "$work/apt/etc/apt.conf.d";
Dir::Etc::preferencesparts "$work/apt/etc/preferences.d";
Dir::Etc::trusted "/etc/apt/trusted.gpg";
Dir::Etc::trustedparts "/etc/apt/trusted.gpg.d";
Dir::State "$work/apt";
Dir::State::lists "$work/apt/lists";
Dir::State::status "/var/lib/dpkg/status";
Dir::Cache "$work/apt";
Dir::Cache::archives "$work/apt/archives";
EOF
export APT_CONFIG=$work/apt/apt.conf
echo "Fetching the qt6-base $version source package" >&2
apt-get update -qq >&2
(cd "$work" && apt-get source -qq --only-source "qt6-base=$version" >&2)
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -n 1)
[ -n "$src" ] || { echo "no qt6-base source was unpacked in $work" >&2; exit 1; }

echo "Building Qt for Windows in $work/build (about 17 minutes on two cores)" >&2
cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${flags[@]}" > "$work/configure.log" 2>&1 \
    || { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$jobs" > "$work/build.log" 2>&1 \
    || { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" > "$work/install.log" 2>&1
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
