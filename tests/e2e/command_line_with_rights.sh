#!/usr/bin/env bash
# A copy of the program with a file capability, run by another user with Qt options on its
# command line that name a platform plug-in in a folder of theirs: the plug-in is not loaded and
# the window shows as ever. The same copy without the capability does load it (and ends, since
# the plug-in offers no platform), so the check can tell.
set -uo pipefail
source "$(dirname "$0")/common.bash"

prepare_user_plugin "$bin/test-plugins/platforms/libquorvane_probe_platform.so" plugins
run() {
    start_as_nobody ./quorvane -platformpluginpath "$work/plugins" -platform probe
}

run
wait_for 15 test -e "$marker" ||
    fail "without a capability the named plug-in was not loaded either: $(cat "$work/program.log")"
{ wait "$app"; } 2>/dev/null  # Qt ends it: the plug-in offers no platform
rm -f "$marker"
grant_file_capability
run
if ! wait_for 15 window_shown; then
    [ ! -e "$marker" ] || fail "with a capability the program loaded a plug-in its command line named"
    fail "the window did not appear: $(cat "$work/program.log")"
fi
! has_sys_time "$app" || fail "the program runs with CAP_SYS_TIME"
require_file_capability_in "$app"
[ ! -e "$marker" ] || fail "with a capability the program loaded a plug-in its command line named"
echo "PASSED: with a file capability the plug-in the command line names stays unloaded; without it, it loads"
