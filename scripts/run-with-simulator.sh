#!/usr/bin/env bash
# Builds Quorvane and starts it against the bundled receiver simulator, so both lamps turn green
# within seconds with no receiver attached. The simulator appears as Com200; a settings file
# naming it is written beside the program unless one is there already. The simulator stops when
# the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."

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
    # The program's own format: CR LF line ends; no start-up delay, so the port opens at once.
    printf '%s\r\n' \
        '<?xml version="1.0" standalone="no"?>' \
        '<!--Quorvane, Version 1.0.4 -->' \
        ' <CONFIGURATION>' \
        '   <LOCALTIME></LOCALTIME>' \
        '   <COMM_PORTS>' \
        "      <GPS_PORT_NAME>Com$port</GPS_PORT_NAME>" \
        '      <GPS_PORT_SPEED>4800</GPS_PORT_SPEED>' \
        '      <GPS_PORT_PARITY>None</GPS_PORT_PARITY>' \
        '      <GPS_PORT_DATA_LENGTH>8</GPS_PORT_DATA_LENGTH>' \
        '      <GPS_PORT_FLOW_CONTROL>None</GPS_PORT_FLOW_CONTROL>' \
        '      <GPS_PORT_STOP_BITS>1</GPS_PORT_STOP_BITS>' \
        '   </COMM_PORTS>' \
        '   <ALTITUDE_FEET>True</ALTITUDE_FEET>' \
        '   <STARTUP_MODE_TASK_TRAY>False</STARTUP_MODE_TASK_TRAY>' \
        '   <STARTUP_MODE_TIME_SYNC>False</STARTUP_MODE_TIME_SYNC>' \
        '   <STARTUP_DELAY>False</STARTUP_DELAY>' \
        ' </CONFIGURATION>' >"$settings"
    echo "Wrote $settings: Com$port, the simulator."
fi

"$bin/quorvane"
