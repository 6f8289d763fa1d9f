#!/usr/bin/env bash
# Soak: the program against the bundled receiver simulator for MINUTES (default 30) in a private
# X server with a notification area, without the right to set the clock. Every REPLUG minutes
# (default 5; 0 for never; or REPLUGs seconds, a multiple of 10, such as 20s) the receiver is
# unplugged and plugged back: the simulator is stopped (in turn by SIGTERM, which takes its link
# away, and SIGKILL, which leaves the link to a device that is gone until the next simulator
# replaces it), left away for AWAY seconds (default 20, at least 10), and started again at the
# same ports/Com200 link. Every 10 s it samples the program's resident memory, CPU use and
# open file descriptors from /proc, then prints a summary. It fails if the program dies, if the
# lamps are not green at the start and the end, if they do not turn red while the receiver is
# away or green again within 10 s of its return, if the log does not hold one "Receiver lost"
# and one "Receiver back" line per replug, if resident memory grows by more than 1 MB after the
# first minute or by more than 256 kB after the first replug's notifications, or if the program
# holds more descriptors at the end than at the start.
#   scripts/soak.sh [MINUTES [REPLUG [AWAY]]]   e.g. scripts/soak.sh 6 1 for a short run,
#   scripts/soak.sh 40 20s 12 for about 100 replugs
# Not part of the test suite. Runs under the measurement lock, so it never overlaps a benchmark
# or a fuzzing run.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/utf8-locale.bash

minutes=${1:-30}
replug=${2:-5}
away=${3:-20}
if [[ $replug =~ ^[0-9]+$ ]]; then
    replug_s=$((replug * 60))
elif [[ $replug =~ ^([1-9][0-9]*0)s$ ]]; then
    replug_s=${BASH_REMATCH[1]}
else
    replug_s=-1
fi
[[ $minutes =~ ^[1-9][0-9]*$ && $replug_s -ge 0 && $away =~ ^[1-9][0-9]+$ && $away -ge 10 ]] ||
    { echo "usage: $0 [MINUTES [REPLUG_MINUTES|REPLUG_SECONDSs [AWAY_SECONDS]]]" >&2; exit 2; }
if [ -z "${QUORVANE_SOAK_LOCKED:-}" ]; then
    exec env QUORVANE_SOAK_LOCKED=1 flock /tmp/quorvane-measure.lock "$PWD/scripts/soak.sh" "$@"
fi

# The build folder may be shared with other builds of this tree; they take the same lock.
cmake --preset default >/dev/null &&
    flock /tmp/quorvane-build.lock cmake --build --preset default --target quorvane nmea-sim || exit 1

# The end-to-end helpers: X server, work folder, settings, start without CAP_SYS_TIME.
set -- "$PWD/build/bin"
source tests/e2e/common.bash

require_tools
start_x
make_work_folder

port=200
link="$work/ports/Com$port"
start_simulator() {
    "$bin/nmea-sim" --port "$port" --ports-dir "$work/ports" >>"$work/sim.log" 2>&1 &
    sim=$!
    pids+=("$sim")
    wait_for 10 test -e "$link" || fail "the simulator made no port: $(cat "$work/sim.log")"
}
start_simulator
write_settings "Com$port"
start_program
echo "program $app runs with CapEff $(awk '/^CapEff:/ {print $2}' "/proc/$app/status")" \
    "(bit 25, CAP_SYS_TIME, clear)"

wait_for 10 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
window=$(main_window)
lamps() {  # green|red: both lamps show it
    local green red
    read -r green red <<<"$(lamp_pixels "$window")"
    if [ "$1" = green ]; then ((green > 200 && red == 0)); else ((red > 200 && green == 0)); fi
}
wait_for 20 lamps green || fail "the lamps did not turn green: $(lamp_pixels "$window")"

# Unplugs the receiver, waits until the lamps show it, plugs it back after $away s and waits for
# both lamps to turn green again. Prints what it saw.
replugs=0
slowest_return=0
away_s=$away
unplug_and_replug() {
    local how=SIGTERM
    ((replugs % 2 == 1)) && how=SIGKILL
    kill -s "$how" "$sim"
    wait "$sim" 2>/dev/null
    local away=$SECONDS
    wait_for 12 lamps red || fail "the lamps did not turn red after the simulator's $how"
    local red_after=$((SECONDS - away))
    local rest=$((away_s - (SECONDS - away)))
    ((rest > 0)) && sleep "$rest"
    # A link left by SIGKILL may lead to a pseudo-terminal with a number that the new simulator
    # is about to be given; it refuses to replace a link that leads somewhere.
    rm -f "$link"
    start_simulator
    local back=$SECONDS
    wait_for 10 lamps green ||
        fail "the lamps were not green within 10 s of the simulator's return: $(lamp_pixels "$window")"
    replugs=$((replugs + 1))
    local took=$((SECONDS - back))
    ((took > slowest_return)) && slowest_return=$took
    echo "  replug $replugs ($how): lamps red ${red_after} s after, green ${took} s after the return"
}

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() {  # user + system time of the program, in clock ticks
    sed 's/^.*) //' "/proc/$app/stat" | awk '{print $12 + $13}'
}
rss_kb() {
    awk '/^VmRSS:/ {print $2}' "/proc/$app/status"
}

fd_count() {
    find "/proc/$app/fd" -mindepth 1 -maxdepth 1 | wc -l
}

interval=10
samples=$((minutes * 60 / interval))
rss_start=$(rss_kb)
fds_start=$(fd_count)
printf '%8s %10s %7s %5s\n' seconds rss_kB cpu_% fds
start=$SECONDS
last_cpu=$(cpu_ticks)
last_time=$(date +%s.%N)
rss_at_minute=
rss_max=0
rss_after_first=
rss_max_replugs=0
cpu_sum=0
cpu_count=0
cpu_max=0
for ((i = 1; i <= samples; i++)); do
    wait_s=$((start + i * interval - SECONDS))
    ((wait_s > 0)) && sleep "$wait_s"
    kill -0 "$app" 2>/dev/null || fail "the program died after $((SECONDS - start)) s: $(cat "$work/program.log")"
    now_cpu=$(cpu_ticks)
    now_time=$(date +%s.%N)
    rss=$(rss_kb)
    fds=$(fd_count)
    cpu=$(awk -v d="$((now_cpu - last_cpu))" -v t="$ticks_per_second" -v a="$last_time" \
        -v b="$now_time" 'BEGIN {printf "%.2f", 100 * d / t / (b - a)}')
    last_cpu=$now_cpu
    last_time=$now_time
    printf '%8d %10d %7s %5d\n' $((i * interval)) "$rss" "$cpu" "$fds"
    if ((i * interval == 60)); then
        rss_at_minute=$rss
    fi
    if ((replugs > 0)); then
        ((rss > rss_max_replugs)) && rss_max_replugs=$rss
    fi
    if ((i * interval > 60)); then
        ((rss > rss_max)) && rss_max=$rss
        cpu_sum=$(awk -v s="$cpu_sum" -v c="$cpu" 'BEGIN {print s + c}')
        cpu_count=$((cpu_count + 1))
        cpu_max=$(awk -v m="$cpu_max" -v c="$cpu" 'BEGIN {print (c > m) ? c : m}')
    fi
    ((i == 1)) && cpu_start=$cpu
    cpu_end=$cpu
    if ((replug_s > 0 && i < samples && i * interval % replug_s == 0)); then
        unplug_and_replug
        # The first notifications build their pop-up once; growth counts from here.
        if ((replugs == 1)); then
            rss_after_first=$(rss_kb)
            rss_max_replugs=$rss_after_first
        fi
        # Sampling goes on at the next slot; the next CPU figure spans the replug.
        i=$(((SECONDS - start) / interval))
    fi
done
lamps green || fail "the lamps were not green at the end: $(lamp_pixels "$window")"

rss_end=$(rss_kb)
fds_end=$(fd_count)
lost=$(grep -c " Receiver lost on " "$work/Quorvane.log" 2>/dev/null || true)
back=$(grep -c " Receiver back: " "$work/Quorvane.log" 2>/dev/null || true)
lost=${lost:-0} back=${back:-0}
echo
echo "Summary of $minutes min on the simulator (Com$port, 4800 baud, a fix every second):"
echo "  start: RSS $rss_start kB, $fds_start descriptors, CPU $cpu_start% in the first 10 s"
echo "  end:   RSS $rss_end kB, $fds_end descriptors, CPU $cpu_end% in the last 10 s"
echo "  $replugs unplug and replug (every $replug_s s, $away s away): lamps green again after every one," \
    "at most $slowest_return s after the receiver's return; log: $lost lost, $back back"
((lost == replugs && back == replugs)) ||
    fail "the log holds $lost \"Receiver lost\" and $back \"Receiver back\" lines for $replugs replugs"
((fds_end <= fds_start)) || fail "the program holds $fds_end descriptors at the end, $fds_start at the start"
if [ -n "$rss_after_first" ]; then
    ((rss_end > rss_max_replugs)) && rss_max_replugs=$rss_end
    replug_growth=$((rss_max_replugs - rss_after_first))
    echo "  RSS after the first replug: $rss_after_first kB; highest after it: $rss_max_replugs kB;" \
        "growth $replug_growth kB over $((replugs - 1)) replugs (limit 256 kB)"
    ((replug_growth <= 256)) ||
        fail "resident memory grew by $replug_growth kB after the first replug's notifications"
fi
if [ -z "$rss_at_minute" ] || ((cpu_count == 0)); then
    echo "  too short to judge growth after the first minute (RSS at the end $rss_end kB)"
    echo "PASSED"
    exit 0
fi
growth=$((rss_max - rss_at_minute))
echo "  RSS at 1 min: $rss_at_minute kB; at the end: $rss_end kB; highest after 1 min: $rss_max kB"
echo "  RSS growth after the first minute: $growth kB (limit 1024 kB)"
awk -v s="$cpu_sum" -v n="$cpu_count" -v m="$cpu_max" \
    'BEGIN {printf "  CPU after the first minute: %.2f%% of one core on average, %.2f%% at most\n", s / n, m}'
((growth <= 1024)) || fail "resident memory grew by $growth kB after the first minute"
echo "PASSED"
