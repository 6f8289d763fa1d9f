#!/usr/bin/env bash
# Writes a Quorvane settings file naming one port (for example Com200, the simulator, or
# None/Reset), at 4800 baud 8N1 with no start-up delay, so the port opens two seconds after
# start-up. Usage: write-settings.sh PORT_NAME FILE
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PORT_NAME FILE" >&2; exit 2; }

# The program's own format: 17 lines with CR LF line ends.
printf '%s\r\n' \
    '<?xml version="1.0" standalone="no"?>' \
    '<!--Quorvane, Version 1.0.4 -->' \
    ' <CONFIGURATION>' \
    '   <LOCALTIME></LOCALTIME>' \
    '   <COMM_PORTS>' \
    "      <GPS_PORT_NAME>$1</GPS_PORT_NAME>" \
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
    ' </CONFIGURATION>' >"$2"
