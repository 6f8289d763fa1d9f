#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the whole suite again under the
# address and undefined-behaviour sanitizers, and the Windows code cross-built and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
# chronyd, setcap and ipcrm live in the system folders, which the PATH of a cron job or a
# container may leave out; without them the checks against a real chronyd and of file
# capabilities would only skip.
export PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin"
source scripts/utf8-locale.bash
source scripts/without-clock-right.bash

scripts/setup-debian.sh

# Compiled objects are kept between runs (and between checkouts, paths taken from here), so a
# second run rebuilds only what changed.
# Debug information then names the build folder of the run that compiled it, which only a
# debugger reads.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$PWD \
       CCACHE_NOHASHDIR=1

jobs=$(nproc)
for preset in default sanitize; do
    echo "=== $preset build ==="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== $preset tests ==="
    ctest --preset "$preset" -j "$jobs"
done

echo "=== Windows build and tests under Wine ==="
JOBS=$jobs scripts/windows-cross-test.sh
