#!/usr/bin/env bash
# The program against the simulator in a real X server with trayer as the notification area:
# green lamps and the green icon within 10 s of the port opening, red within 12 s of the
# simulator stopping, and the window's close button ending the process.
set -uo pipefail
source "$(dirname "$0")/common.bash"

require_tools
[ -x "$bin/nmea-sim" ] || skip "$bin/nmea-sim is not built"
start_x
make_work_folder

port=200
"$bin/nmea-sim" --port "$port" --ports-dir "$work/ports" >"$work/sim.log" 2>&1 &
sim=$!
pids+=("$sim")
wait_for 10 test -e "$work/ports/Com$port" || fail "the simulator made no port: $(cat "$work/sim.log")"
device=$(readlink -f "$work/ports/Com$port")
write_settings "Com$port"
start_program

wait_for 10 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
window=$(main_window)
[ "$(icon_colour "$window")" = yellow ] || fail "the window does not start with the yellow icon"

port_open() {
    local fd
    for fd in /proc/"$app"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$device" ] && return 0
    done
    return 1
}
wait_for 15 port_open || fail "the program did not open $device"
opened=$SECONDS
echo "port $device opened"

both_lamps() {  # green|red
    local green red
    read -r green red <<<"$(lamp_pixels "$window")"
    if [ "$1" = green ]; then ((green > 200 && red == 0)); else ((red > 200 && green == 0)); fi
}
shown() {  # colour: both lamps and the icon
    both_lamps "$1" && [ "$(icon_colour "$window")" = "$1" ]
}

wait_for 10 shown green || fail "no green lamps and icon within 10 s of the port opening" \
    "(lamp pixels $(lamp_pixels "$window"), icon $(icon_colour "$window"))"
echo "green lamps and icon $((SECONDS - opened)) s after the port opened"

kill "$sim"
wait "$sim" 2>/dev/null
stopped=$SECONDS
# The lamps turn red when ten ticks have passed without data: about 10 s, and a tick more on a
# busy machine.
wait_for 12 shown red || fail "no red lamps and icon within 12 s of the simulator stopping" \
    "(lamp pixels $(lamp_pixels "$window"), icon $(icon_colour "$window"))"
echo "red lamps and icon $((SECONDS - stopped)) s after the simulator stopped"

close_window "$window"
wait_for 10 bash -c "! kill -0 $app 2>/dev/null" || fail "closing the window did not end the program"
wait "$app"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ ! -e "$bin/Quorvane.XML" ] || echo "note: $bin/Quorvane.XML exists (not written by this test)"
echo "PASSED"
