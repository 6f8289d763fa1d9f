#!/usr/bin/env bash
# The program shares the simulator's time with a chronyd (-x) through an NTP shared-memory segment;
# a second one asks it over NTP. KEEP_RUNNING=SECONDS: chrony's statistics after so long, and logs.
set -uo pipefail
source "$(dirname "$0")/common.bash"
command -v chronyd >/dev/null && command -v chronyc >/dev/null || { [ "${CI:-}" = true ] &&
    fail "chrony is not installed (setup-debian.sh installs it)" || skip "chrony is not installed"; }
# As root (CI), the program runs as an ordinary user, as on a station.
user=$(id -un) chrony_user=$(id -un) as_user=() no_clock=()
if [ "$(id -u)" -eq 0 ]; then
    id _chrony >/dev/null 2>&1 && chrony_user=_chrony || chrony_user=nobody
    user=nobody as_user=(setpriv --reuid=nobody --regid=nogroup --init-groups)
fi
has_sys_time $$ && no_clock=(setpriv --inh-caps -sys_time --bounding-set -sys_time)
for _ in $(seq 20); do  # a unit free on this machine, away from a station's SHM 2
    unit=$((40 + RANDOM % 60)) key=$(printf '0x%08x' $((0x4e545030 + unit)))
    ipcs -m | grep -qi "^$key " || break
done
trap 'cleanup; ipcrm -M "$key" 2>/dev/null' EXIT
make_work_folder
# Bursts 300 ms after their second, a receiver delay of 250 ms: the clock is 50 ms ahead.
printf '<RECEIVER_DELAY_MS>250</RECEIVER_DELAY_MS>\r\n' >"$work/QuorvaneReceiver.XML"
printf ' <CHRONY>\r\n<SHARE_TIME>True</SHARE_TIME>\r\n<SHM_UNIT>%s</SHM_UNIT>\r\n </CHRONY>\r\n' \
    "$unit" >"$work/QuorvaneChrony.XML"
mkdir "$work/ports" "$work/home" && chmod 755 "$work" && chown -R "$user" "$work"
run_as_user() {  # log, then the command
    (cd "$work" && exec "${no_clock[@]}" "${as_user[@]}" env HOME="$work/home" "${@:2}") \
        >"$work/$1" 2>&1 &
    pids+=($!)
}
for com in 200 201 202 203 204; do
    run_as_user sim$com.log "$bin/nmea-sim" --port $com --ports-dir "$work/ports" --delay-ms 300
    wait_for 10 test -e "$work/ports/Com$com" || fail "no simulator port: $(cat "$work/sim$com.log")"
    # A lock that another user left on the pseudo-terminal would keep the program out of it.
    [ -e "/run/lock/LCK..$(readlink "$work/ports/Com$com" | cut -d/ -f3- | tr / _)" ] || break
done
write_settings "Com$com" && chown "$user" "$work/Quorvane.XML"
run_as_user program.log env QT_QPA_PLATFORM=offscreen ./quorvane
segment() { ipcs -m | grep -i "^$key "; }
wait_for 15 segment >/dev/null || fail "no segment $key: $(cat "$work/Quorvane.log")"
read -r _ _ owner perms _ <<<"$(segment)"
[ "$owner" = "$user" ] && [ "$perms" = 600 ] || fail "segment $key is $owner's with rights $perms"
start_chronyd() {  # name, then configuration lines; the socket's folder must be its user's alone
    local dir=$work/$1
    mkdir -m 700 "$dir" && chown "$chrony_user:$(id -g "$chrony_user")" "$dir"
    printf '%s\n' "${@:2}" "bindcmdaddress $dir/sock" "cmdport 0" "pidfile $dir/pid" \
        "driftfile $dir/drift" "dumpdir $dir" >"$dir.conf"
    "${no_clock[@]}" chronyd -x -U -d -u "$chrony_user" -f "$dir.conf" >"$dir.log" 2>&1 &
    pids+=($!)
}
ask() { timeout 10 chronyc -n -c -h "$work/$1/sock" "${@:2}" 2>/dev/null; }
port=$((20000 + RANDOM % 20000))
start_chronyd server "refclock SHM $unit refid GPS poll 2 precision 1e-3" "port $port" \
    "bindaddress 127.0.0.1" "allow 127.0.0.1" ${KEEP_RUNNING:+"logdir $work/server" "log refclocks statistics"}
start_chronyd client "server 127.0.0.1 port $port iburst minpoll -4 maxpoll -4" "port 0"
# mode,state,name,stratum,poll,reach,last rx,offsets: the refclock reachable, with a sample
gps() { ask server sources | awk -F, '$3 == "GPS" && $6 != 0 && $7 != 4294967295' | grep .; }
wait_for 60 gps >/dev/null || fail "GPS unreachable: $(ask server sources) $(cat "$work/server.log")"
sleep 12 # a few samples more
# chronyd -x keeps its correction to itself (tracking's 5th field, negative for a fast clock)
# and dates the sources after it: the clock's offset from GPS is the two together.
offset=$(ask server tracking | awk -F, -v s="$(gps | cut -d, -f9)" '{ printf "%.6f", s - $5 }')
awk -v o="$offset" 'BEGIN { exit !(o - 0.050 <= 0.005 && 0.050 - o <= 0.005) }' ||
    fail "the clock's offset from the GPS refclock is $offset s, not 0.050 s within 5 ms"
echo "segment $key of $owner ($perms); clock's offset from the GPS refclock $offset s"
# The client is served stratum 1 with the reference GPS (ntpdata's 9th and 17th fields).
served() { ask client ntpdata 127.0.0.1 | awk -F, '$9 == 1 && $17 == "GPS"' | grep .; }
wait_for 60 served >/dev/null || fail "the client was not served stratum 1, GPS: $(ask client ntpdata)"
[ -z "${KEEP_RUNNING:-}" ] || { sleep "$KEEP_RUNNING" && ask server sourcestats && ask server tracking; }
echo "PASSED"
