#!/usr/bin/env bash
# Builds Quorvane and starts it against the bundled receiver simulator, so both lamps turn green
# within seconds with no receiver attached. The simulator appears as Com200; a settings file
# naming it is written beside the program unless one is there already. The simulator stops when
# the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash

scripts/setup-debian.sh
cmake --preset default
cmake --build --preset default

bin=build/bin
port=200
link="$bin/ports/Com$port"

"$bin/nmea-sim" --port "$port" --ports-dir "$bin/ports" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT

for _ in $(seq 50); do
    [ -e "$link" ] && break
    kill -0 "$sim" 2>/dev/null || { echo "The simulator did not start." >&2; exit 1; }
    sleep 0.1
done
[ -e "$link" ] || { echo "The simulator made no port at $link." >&2; exit 1; }

settings="$bin/Quorvane.XML"
if [ ! -e "$settings" ]; then
    scripts/write-settings.sh "Com$port" "$settings"
    echo "Wrote $settings: Com$port, the simulator."
fi

# The simulator is not a time source (its bursts lag the clock it reads, like a real receiver's),
# so the program never gets the right to set the clock here, even when started as root.
# As root that means dropping the capability; as anyone else, not honouring a setcap grant.
if [ "$(id -u)" -eq 0 ]; then
    setpriv --bounding-set -sys_time --inh-caps -sys_time "$bin/quorvane"
else
    setpriv --no-new-privs "$bin/quorvane"
fi
