#!/usr/bin/env bash
# The program shares the simulator's time with a real chronyd through an NTP shared-memory
# segment, and a second chronyd asks the first over NTP. Neither has any right over the clock
# (-x, CAP_SYS_TIME dropped); files, sockets and ports are the test's own, on 127.0.0.1.
# KEEP_RUNNING=SECONDS keeps it all up that long at the end and prints chrony's statistics.
set -uo pipefail
source "$(dirname "$0")/common.bash"
bin=$(cd "$bin" && pwd)
if ! command -v chronyd >/dev/null || ! command -v chronyc >/dev/null; then
    [ "${CI:-}" = true ] && fail "chrony is not installed (scripts/setup-debian.sh installs it)"
    skip "chrony is not installed (Debian package chrony)"
fi
[ -x "$bin/quorvane" ] && [ -x "$bin/nmea-sim" ] || fail "quorvane and nmea-sim are not built"

# Bursts 300 ms after their second and a receiver delay of 250 ms: the clock reads 50 ms ahead
# of the corrected instants.
expected=0.050
# As root (CI) the program runs as an ordinary user, as on a station, and chronyd drops to its
# own user after attaching the segment as root.
user=$(id -un) chrony_user=$(id -un) as_user=() no_clock=()
if [ "$(id -u)" -eq 0 ]; then
    id _chrony >/dev/null 2>&1 && chrony_user=_chrony || chrony_user=nobody
    user=nobody as_user=(setpriv --reuid=nobody --regid=nogroup --init-groups)
fi
has_sys_time $$ && no_clock=(setpriv --inh-caps -sys_time --bounding-set -sys_time)
# A unit free on this machine, away from a station's SHM 2.
for _ in $(seq 20); do
    unit=$((40 + RANDOM % 60)) key=$(printf '0x%08x' $((0x4e545030 + unit)))
    ipcs -m | grep -qi "^$key " || break
done
trap 'cleanup; ipcrm -M "$key" 2>/dev/null' EXIT

make_work_folder
printf '<RECEIVER_DELAY_MS>250</RECEIVER_DELAY_MS>\r\n' >"$work/QuorvaneReceiver.XML"
printf ' <CHRONY>\r\n<SHARE_TIME>True</SHARE_TIME>\r\n<SHM_UNIT>%s</SHM_UNIT>\r\n </CHRONY>\r\n' \
    "$unit" >"$work/QuorvaneChrony.XML"
mkdir "$work/ports" "$work/home"
chmod 755 "$work" && chown -R "$user" "$work"
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
[ "$owner" = "$user" ] && [ "$perms" = 600 ] ||
    fail "segment $key is owned by $owner with rights $perms, not $user's alone"

# Each chronyd gets a folder of its user's alone, as its command socket's must be.
start_chronyd() {  # name, then configuration lines
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
    "bindaddress 127.0.0.1" "allow 127.0.0.1"
start_chronyd client "server 127.0.0.1 port $port iburst minpoll -4 maxpoll -4" "port 0"

# The refclock reachable, with a sample: mode,state,name,stratum,poll,reach,last rx,offsets...
gps() { ask server sources | awk -F, '$3 == "GPS" && $6 != 0 && $7 != 4294967295' | grep .; }
wait_for 60 gps >/dev/null || fail "GPS never reachable: $(ask server sources) $(cat "$work/server.log")"
sleep 12 # a few samples more
# chronyd without the right to steer keeps its correction to itself (tracking's 5th field,
# negative when the clock is fast) and dates the sources after it: the clock's offset from the
# GPS source is the two together, positive when the clock is ahead.
offset=$(ask server tracking | awk -F, -v s="$(gps | cut -d, -f9)" '{ printf "%.6f", s - $5 }')
awk -v o="$offset" -v e="$expected" 'BEGIN { exit !(o - e <= 0.005 && e - o <= 0.005) }' ||
    fail "the clock's offset from the GPS refclock is $offset s, not $expected s within 5 ms"
echo "segment $key of $owner ($perms); clock's offset from the GPS refclock $offset s"

# The client is served stratum 1 with the reference GPS (ntpdata's 9th and 17th fields).
served() { ask client ntpdata 127.0.0.1 | awk -F, '$9 == 1 && $17 == "GPS"' | grep -q .; }
wait_for 60 served || fail "the client was not served stratum 1, GPS: $(ask client ntpdata)"
echo "client served: $(ask client ntpdata 127.0.0.1 | cut -d, -f1,9,17)"
if [ -n "${KEEP_RUNNING:-}" ]; then
    sleep "$KEEP_RUNNING"
    printf 'after %s s more:\n%s\n%s\n' "$KEEP_RUNNING" "$(ask server sourcestats)" \
        "$(ask server tracking)"
fi
echo "PASSED"
