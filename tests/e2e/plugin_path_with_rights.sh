#!/usr/bin/env bash
# A copy of the program with a file capability, run by another user whose environment names a
# style from a folder of plug-ins (QT_PLUGIN_PATH): the plug-in is not loaded. The same copy
# without the capability does load it, so the check can tell.
set -uo pipefail
source "$(dirname "$0")/common.bash"

plugin=$bin/test-plugins/styles/libquorvane_marker_style.so
[ -r "$plugin" ] || skip "$plugin is not built"
command -v setcap >/dev/null || skip "setcap is not installed (Debian package libcap2-bin)"
[ "$(id -u)" -eq 0 ] || skip "giving a file a capability and running it as another user need root"
require_tools
start_x
make_work_folder
# The copy stays root's and open to everyone, as an installed program run by another user.
write_settings "None/Reset"
chown nobody "$work" "$work/Quorvane.XML"
mkdir -p "$work/plugins/styles" && chmod -R 1777 "$work/plugins"
cp "$plugin" "$work/plugins/styles/"
marker=$work/plugins/styles/loaded  # left by the plug-in when loaded

run_as_nobody() {  # until the window shows; sets $app
    (cd "$work" && exec setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
        --inh-caps=-sys_time --bounding-set=-sys_time \
        env QT_PLUGIN_PATH="$work/plugins" QT_STYLE_OVERRIDE=quorvanemarker ./quorvane) \
        >"$work/program.log" 2>&1 &
    app=$!
    pids+=("$app")
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
setcap cap_net_bind_service+ep "$work/quorvane" 2>/dev/null ||
    skip "this file system keeps no file capabilities (setcap failed)"
run_as_nobody
prm=$(awk '/^CapPrm:/ {print $2}' "/proc/$app/status")
(((0x$prm >> 10) & 1)) || skip "file capabilities take no effect here (nosuid or no_new_privs)"
sleep 2
[ ! -e "$marker" ] || fail "with a capability the program loaded a plug-in its user named"
stop_program
echo "PASSED: with a file capability the named plug-in stays unloaded; without it, it loads"
