#!/usr/bin/env bash
# The program shares the simulator's time with a real chronyd through the NTP shared-memory
# segment, and a second chronyd gets it over NTP: the GPS refclock reachable with the offset the
# simulator's timing gives, and the client served stratum 1 with the reference GPS.
# Neither chronyd has any right over the clock (-x, CAP_SYS_TIME dropped); their files, sockets
# and ports are the test's own, on 127.0.0.1. KEEP_RUNNING=SECONDS keeps the setup up that long
# at the end and prints chrony's own statistics of the source.
set -uo pipefail
source "$(dirname "$0")/common.bash"
bin=$(cd "$bin" && pwd)  # the programs run from the work folder

unavailable() {
    # CI installs chrony (scripts/setup-debian.sh); there its absence is a fault, not a skip.
    [ "${CI:-}" = true ] && fail "$* (CI runs scripts/setup-debian.sh, which installs it)"
    skip "$*"
}
command -v chronyd >/dev/null && command -v chronyc >/dev/null ||
    unavailable "chrony is not installed (Debian package chrony)"
for tool in setpriv ipcs ipcrm; do
    command -v "$tool" >/dev/null || unavailable "$tool is not installed"
done
[ -x "$bin/quorvane" ] || fail "$bin/quorvane is not built"
[ -x "$bin/nmea-sim" ] || fail "$bin/nmea-sim is not built"

# What the timing gives: bursts 300 ms after their second, a receiver delay of 250 ms, so the
# computer's clock reads 50 ms ahead of the corrected instants.
sim_delay_ms=300
receiver_delay_ms=250
expected_offset=0.050
tolerance=0.005

# As root (CI), the program and the simulator run as an ordinary user, as on a station, and
# chronyd drops to its own user once it has attached the segment as root.
if [ "$(id -u)" -eq 0 ]; then
    program_user=nobody
    chrony_user=$(id -u _chrony >/dev/null 2>&1 && echo _chrony || echo nobody)
    as_program=(setpriv --reuid="$program_user" --regid="$(id -g "$program_user")" --init-groups)
    chrony_drop=(-u "$chrony_user")
else
    program_user=$(id -un)
    chrony_user=$program_user
    as_program=()
    chrony_drop=()
fi
no_clock=(setpriv --inh-caps -sys_time --bounding-set -sys_time)
has_sys_time $$ || no_clock=()

# A unit of its own, free on this machine, so a station's chrony and its SHM 2 stay untouched.
key=
for _ in $(seq 20); do
    unit=$((40 + RANDOM % 60))
    candidate=$(printf '0x%08x' $((0x4e545030 + unit)))
    ipcs -m | awk '{print $1}' | grep -qi "^$candidate$" || { key=$candidate; break; }
done
[ -n "$key" ] || fail "no free NTP shared-memory unit between 40 and 99"
ntp_port=$((20000 + RANDOM % 20000))

make_work_folder
chmod 755 "$work"  # chronyd's user reaches its own folders inside
remove_segment() {
    ipcrm -M "$key" 2>/dev/null || true
}
trap 'cleanup; remove_segment' EXIT
write_settings "Com200"
printf '%s\r\n' '<?xml version="1.0" standalone="no"?>' \
    "<RECEIVER_DELAY_MS>$receiver_delay_ms</RECEIVER_DELAY_MS>" >"$work/QuorvaneReceiver.XML"
printf '%s\r\n' '<?xml version="1.0" standalone="no"?>' ' <CHRONY>' \
    '   <SHARE_TIME>True</SHARE_TIME>' "   <SHM_UNIT>$unit</SHM_UNIT>" ' </CHRONY>' \
    >"$work/QuorvaneChrony.XML"
mkdir "$work/ports" "$work/home"
chown -R "$program_user" "$work"

# One chronyd: its folder (the command socket's must be its user's alone), its configuration.
chrony_folder() {  # name, then configuration lines
    local dir=$work/$1
    shift
    mkdir -m 700 "$dir"
    chown "$chrony_user:$(id -g "$chrony_user")" "$dir"
    {
        printf '%s\n' "$@"
        printf '%s\n' "bindcmdaddress $dir/chronyd.sock" "cmdport 0" "pidfile $dir/chronyd.pid" \
            "driftfile $dir/drift" "dumpdir $dir"
    } >"$work/$(basename "$dir").conf"
}
start_chronyd() {  # name
    "${no_clock[@]}" chronyd -x -U -d "${chrony_drop[@]}" -f "$work/$1.conf" \
        >"$work/$1.log" 2>&1 &
    pids+=($!)
}
chronyc_of() {  # name, then the command
    local name=$1
    shift
    timeout 10 chronyc -n -c -h "$work/$name/chronyd.sock" "$@" 2>/dev/null
}

# The program first, so that it creates the segment for its user alone.
(cd "$work" && exec "${no_clock[@]}" "${as_program[@]}" env HOME="$work/home" \
    "$bin/nmea-sim" --port 200 --ports-dir "$work/ports" --delay-ms "$sim_delay_ms") \
    >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 10 test -e "$work/ports/Com200" || fail "the simulator made no port: $(cat "$work/sim.log")"
(cd "$work" && exec "${no_clock[@]}" "${as_program[@]}" env HOME="$work/home" \
    QT_QPA_PLATFORM=offscreen ./quorvane) >"$work/program.log" 2>&1 &
app=$!
pids+=("$app")
wait_for 5 test -r "/proc/$app/status" || fail "the program did not start"
sleep 0.5
has_sys_time "$app" && fail "the program runs with CAP_SYS_TIME: it could set this machine's clock"

segment_line() {
    ipcs -m | awk -v key="$key" 'tolower($1) == key'
}
segment_made() {
    [ -n "$(segment_line)" ]
}
wait_for 15 segment_made ||
    fail "the program made no segment $key: $(tail -5 "$work/Quorvane.log" 2>/dev/null)"
read -r _ _ owner perms _ <<<"$(segment_line)"
[ "$owner" = "$program_user" ] && [ "$perms" = 600 ] ||
    fail "segment $key is owned by $owner with rights $perms, not $program_user with 600"
echo "segment $key: owner $owner, rights $perms"

chrony_folder server "refclock SHM $unit refid GPS poll 2 precision 1e-3" \
    "port $ntp_port" "bindaddress 127.0.0.1" "allow 127.0.0.1"
start_chronyd server
chrony_folder client "server 127.0.0.1 port $ntp_port iburst minpoll -4 maxpoll -4" "port 0"
start_chronyd client

# The refclock's line once it is reachable and has a sample: mode,state,name,stratum,poll,
# reach (octal),last rx,adjusted offset,measured offset,error.
gps_line() {
    chronyc_of server sources | awk -F, '$3 == "GPS" && $6 != 0 && $7 != 4294967295'
}
gps_reached() {
    [ -n "$(gps_line)" ]
}
wait_for 60 gps_reached ||
    fail "chronyd never reached the GPS refclock: $(chronyc_of server sources)" \
        "$(tail -3 "$work/server.log")"
# A few samples more, for a settled median.
sleep 12
line=$(gps_line)
tracking=$(chronyc_of server tracking)
echo "server sources: $line"
echo "server tracking: $tracking"
# Without the right to steer the clock, chronyd keeps the correction to itself (tracking's
# "System time", negative when the clock is fast) and dates the sources' offsets after it, so the
# clock's offset from the GPS source is the two together; positive when the clock is ahead.
offset=$(awk -F, -v source="$(cut -d, -f9 <<<"$line")" '{ printf "%.6f", source - $5 }' \
    <<<"$tracking")
awk -v o="$offset" -v e="$expected_offset" -v t="$tolerance" \
    'BEGIN { d = o - e; if (d < 0) d = -d; exit !(d <= t) }' ||
    fail "the clock's offset from the GPS refclock is $offset s, not within $tolerance s of" \
        "$expected_offset s"
echo "clock's offset from the GPS refclock $offset s (expected $expected_offset s within" \
    "$tolerance s)"

# The client: the server answers stratum 1 with the reference GPS (ntpdata's 9th and 17th
# fields).
served() {
    chronyc_of client ntpdata 127.0.0.1 | awk -F, '$9 == 1 && $17 == "GPS"' | grep -q .
}
wait_for 60 served ||
    fail "the client was not served stratum 1, reference GPS: $(chronyc_of client ntpdata)" \
        "$(chronyc_of client sources)"
echo "client: served by $(chronyc_of client ntpdata 127.0.0.1 | cut -d, -f1,8,9,17)"

if [ -n "${KEEP_RUNNING:-}" ]; then
    sleep "$KEEP_RUNNING"
    echo "server sourcestats after $KEEP_RUNNING s more: $(chronyc_of server sourcestats)"
    echo "server sources: $(chronyc_of server sources)"
fi
echo "PASSED"
