#!/usr/bin/env bash
# First run, no settings file: a box titled "Quorvane" reports the missing file before the
# window appears; then the window shows red lamps and the yellow icon; its close button ends
# the program.
set -uo pipefail
source "$(dirname "$0")/common.bash"

require_tools
start_x
make_work_folder
start_program

wait_for 10 bash -c 'xdotool search --onlyvisible --name "^Quorvane$" >/dev/null' ||
    fail "no message box titled Quorvane about the missing settings file"
[ -z "$(main_window)" ] || fail "the window was shown before the settings message was answered"
box=$(xdotool search --onlyvisible --name "^Quorvane$" | head -1)
xdotool windowfocus --sync "$box" >/dev/null 2>&1 || true
xdotool key Return

wait_for 10 window_shown || fail "the window did not appear after the message"
window=$(main_window)
sleep 1
read -r green red <<<"$(lamp_pixels "$window")"
echo "lamp pixels: green $green, red $red; icon $(icon_colour "$window")"
((red > 200 && green == 0)) || fail "the lamps are not both red at start-up"
[ "$(icon_colour "$window")" = yellow ] || fail "the window icon is not the yellow picture"

close_window "$window"
wait_for 10 bash -c "! kill -0 $app 2>/dev/null" || fail "closing the window did not end the program"
wait "$app"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASSED: message first, red lamps, yellow icon; the close button ended the program"
