#!/usr/bin/env bash
# Soak: the program against the bundled receiver simulator for MINUTES (default 30) in a private
# X server with a notification area, without the right to set the clock. Every 10 s it samples
# the program's resident memory, CPU use and open file descriptors from /proc, then prints a
# summary. It fails if the program dies, if the lamps are not green at the start and the end,
# or if resident memory grows by more than 1 MB after the first minute.
#   scripts/soak.sh [MINUTES]
# Not part of the test suite. Runs under the measurement lock, so it never overlaps a benchmark
# or a fuzzing run.
set -uo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-30}
[[ $minutes =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [MINUTES]" >&2; exit 2; }
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
"$bin/nmea-sim" --port "$port" --ports-dir "$work/ports" >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 10 test -e "$work/ports/Com$port" || fail "the simulator made no port: $(cat "$work/sim.log")"
write_settings "Com$port"
start_program
echo "program $app runs with CapEff $(awk '/^CapEff:/ {print $2}' "/proc/$app/status")" \
    "(bit 25, CAP_SYS_TIME, clear)"

wait_for 10 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
window=$(main_window)
lamps_green() {
    local green red
    read -r green red <<<"$(lamp_pixels "$window")"
    ((green > 200 && red == 0))
}
wait_for 20 lamps_green || fail "the lamps did not turn green: $(lamp_pixels "$window")"

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() {  # user + system time of the program, in clock ticks
    sed 's/^.*) //' "/proc/$app/stat" | awk '{print $12 + $13}'
}
rss_kb() {
    awk '/^VmRSS:/ {print $2}' "/proc/$app/status"
}

interval=10
samples=$((minutes * 60 / interval))
printf '%8s %10s %7s %5s\n' seconds rss_kB cpu_% fds
start=$SECONDS
last_cpu=$(cpu_ticks)
last_time=$(date +%s.%N)
rss_at_minute=
rss_max=0
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
    fds=$(find "/proc/$app/fd" -mindepth 1 -maxdepth 1 | wc -l)
    cpu=$(awk -v d="$((now_cpu - last_cpu))" -v t="$ticks_per_second" -v a="$last_time" \
        -v b="$now_time" 'BEGIN {printf "%.2f", 100 * d / t / (b - a)}')
    last_cpu=$now_cpu
    last_time=$now_time
    printf '%8d %10d %7s %5d\n' $((i * interval)) "$rss" "$cpu" "$fds"
    if ((i * interval == 60)); then
        rss_at_minute=$rss
    fi
    if ((i * interval > 60)); then
        ((rss > rss_max)) && rss_max=$rss
        cpu_sum=$(awk -v s="$cpu_sum" -v c="$cpu" 'BEGIN {print s + c}')
        cpu_count=$((cpu_count + 1))
        cpu_max=$(awk -v m="$cpu_max" -v c="$cpu" 'BEGIN {print (c > m) ? c : m}')
    fi
done
lamps_green || fail "the lamps were not green at the end: $(lamp_pixels "$window")"

rss_end=$(rss_kb)
echo
echo "Summary of $minutes min on the simulator (Com$port, 4800 baud, a fix every second):"
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
