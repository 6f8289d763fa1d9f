#!/usr/bin/env bash
# Builds one libFuzzer target with clang (address and undefined-behaviour sanitizers on) and runs
# it for the given number of seconds in one process (libFuzzer's default: no -jobs, no fork),
# printing libFuzzer's final statistics.
#   scripts/fuzz.sh receive 600    bytes from the serial line to the window, the timer ticking
#   scripts/fuzz.sh settings 600   the settings file reader, save and reload
# Extra arguments go to libFuzzer. New inputs are kept in build-fuzz/corpus/<target>; a finding
# is written to build-fuzz/artifacts/ and the script exits non-zero. Runs under the measurement
# lock, so it never overlaps a benchmark or a soak.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash

usage() {
    echo "usage: $0 receive|settings SECONDS [libFuzzer options...]" >&2
    exit 2
}
[ $# -ge 2 ] || usage
target=$1
seconds=$2
shift 2
case $target in
    receive | settings) ;;
    *) usage ;;
esac
[[ $seconds =~ ^[0-9]+$ ]] || usage

command -v clang++ >/dev/null ||
    { echo "clang++ is not installed (Debian packages clang and libclang-rt-14-dev)" >&2; exit 1; }

build=build-fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target "fuzz_$target"

corpus="$build/corpus/$target"
mkdir -p "$corpus" "$build/artifacts"
seeds=(fuzz/corpus/"$target")
# Real receivers' output, read only: new inputs go to the first folder.
if [ "$target" = receive ]; then
    seeds+=(tests/data/nmea-logs)
fi

# Twice the splitter's line bound, so an input can carry an over-long line and what follows.
exec flock /tmp/quorvane-measure.lock "$build/fuzz_$target" \
    -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$@" "$corpus" "${seeds[@]}"
