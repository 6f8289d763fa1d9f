#!/usr/bin/env bash
# The tray icon's menu in a real notification area (trayer): a click on the icon pops up the
# first menu; "Hide" puts the window in the tray, "Show" brings it back, "Exit" ends the program.
set -uo pipefail
source "$(dirname "$0")/common.bash"

require_tools
start_x
make_work_folder
write_settings "None/Reset"
start_program

wait_for 10 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
tray_shown() { [ -n "$(tray_icon_position)" ]; }
wait_for 10 tray_shown || fail "no icon in the notification area 10 s after start-up"
read -r x y <<<"$(tray_icon_position)"

# Clicks the icon and picks the menu's item number $1 (1 Show, 2 Hide, 3 Exit) by keyboard.
choose() {
    xdotool mousemove $((x + 8)) $((y + 8)) click 1
    sleep 0.7
    xdotool key --delay 100 $(printf 'Down %.0s' $(seq "$1")) Return
}
window_hidden() { [ -z "$(main_window)" ]; }

choose 2
wait_for 5 window_hidden || fail "\"Hide\" in the tray menu left the window on screen"
choose 1
wait_for 5 window_shown || fail "\"Show\" in the tray menu did not bring the window back"
choose 3
wait_for 10 bash -c "! kill -0 $app 2>/dev/null" || fail "\"Exit\" in the tray menu did not end the program"
wait "$app"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASSED: Hide, Show and Exit from the tray icon's menu"
