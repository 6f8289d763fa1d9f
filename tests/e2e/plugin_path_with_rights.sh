#!/usr/bin/env bash
# A copy of the program with a file capability, run by another user whose environment names a
# style from a folder of plug-ins (QT_PLUGIN_PATH): the plug-in is not loaded. The same copy
# without the capability does load it, so the check can tell.
set -uo pipefail
source "$(dirname "$0")/common.bash"

prepare_user_plugin "$bin/test-plugins/styles/libquorvane_marker_style.so" plugins/styles

run_as_nobody() {  # until the window shows; sets $app
    start_as_nobody env QT_PLUGIN_PATH="$work/plugins" QT_STYLE_OVERRIDE=quorvanemarker ./quorvane
    wait_for 15 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
    ! has_sys_time "$app" || fail "the program runs with CAP_SYS_TIME"
}
stop_program() {
    kill "$app" && wait "$app"
    wait_for 5 bash -c '! xdotool search --onlyvisible --name "Brindle" >/dev/null 2>&1'
}

run_as_nobody
wait_for 5 test -e "$marker" || fail "without a capability the plug-in was not loaded either"
stop_program
rm -f "$marker"
grant_file_capability
run_as_nobody
require_file_capability_in "$app"
sleep 2
[ ! -e "$marker" ] || fail "with a capability the program loaded a plug-in its user named"
stop_program
echo "PASSED: with a file capability the named plug-in stays unloaded; without it, it loads"
