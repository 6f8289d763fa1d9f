#!/usr/bin/env bash
# Measures how true the clock Quorvane sets is: builds the benchmark and the receiver simulator,
# then runs bench/clock_accuracy (sixteen scenarios, 200 settings each, about 75 minutes; with
# --settings 30 about 14). Options go to the benchmark: --settings 10 for a quick look,
# --only KEY,... for some scenarios, --help for the rest. It never sets the clock.
#
# Builds share the tree's build lock; the run holds a measuring lock, so that two measurements
# (or a long soak) on this machine never run at once and disturb each other's timing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash

cmake --preset default >/dev/null
flock /tmp/quorvane-build.lock cmake --build --preset default --target clock_accuracy nmea-sim
exec flock /tmp/quorvane-measure.lock build/bin/clock_accuracy "$@"
