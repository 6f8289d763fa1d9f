#!/usr/bin/env bash
# The Windows program under Wine in a real X server, against the simulator on COM200: the window
# appears, both lamps turn green, the settings file is written with its 17 lines, and SET TIME
# gives the box that says the right to set the clock is missing. Run by windows-cross-test.sh in
# its throw-away Wine prefix (WINEPREFIX), without CAP_SYS_TIME.
#   program_under_wine.sh INSTALLED_FOLDER NMEA_SIM [SCREENSHOT.png]
set -uo pipefail
source "$(dirname "$0")/../e2e/common.bash" "$1"
sim=$2 shot=${3:-}
wine=${WINE:-/usr/lib/wine/wine64}

[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
# Wine's SetSystemTime reaches this machine's clock when the process may set it.
! has_sys_time $$ || fail "running with CAP_SYS_TIME: Wine could set this machine's clock"
for tool in Xvfb trayer xdotool import "$convert"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x "$sim" ] || skip "$sim is not built"
start_x

work=$(mktemp -d)
cp -r "$1"/. "$work/"
# Wine never sets this machine's clock: it accepts, doing nothing, a setting within half a second
# of the clock and refuses a larger one as a missing privilege. Bursts sent 900 ms after the
# second they describe (as a slow receiver would, before its delay is measured) make SET TIME a
# real change, which Wine refuses.
"$sim" --port 200 --ports-dir "$work/sim" --delay-ms 900 >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 10 test -e "$work/sim/Com200" || fail "the simulator made no port: $(cat "$work/sim.log")"
ln -sfn "$(readlink -f "$work/sim/Com200")" "$WINEPREFIX/dosdevices/com200"
write_settings Com200
# Windows has Arial, which the displays ask for; a fresh Wine prefix has none and draws nothing.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'DejaVu Sans' /f \
    >/dev/null 2>&1 || fail "Wine's registry could not be written"
touch -d '2000-01-01' "$work/Quorvane.XML"  # the file's own time, so a rewrite shows

(cd "$work" && exec "$wine" ./quorvane.exe) >"$work/program.log" 2>&1 &
app=$!
pids+=("$app")
sleep 1
! has_sys_time "$app" || fail "the program runs with CAP_SYS_TIME"

wait_for 60 window_shown || fail "the window did not appear: $(cat "$work/program.log")"
window=$(main_window)
started=$SECONDS
lamps_green() {
    local green red
    read -r green red <<<"$(lamp_pixels "$window")"
    ((green > 200 && red == 0))
}
wait_for 30 lamps_green || fail "no green lamps within 30 s (lamp pixels $(lamp_pixels "$window"))"
echo "both lamps green $((SECONDS - started)) s after the window appeared"
sleep 2  # the displays filled by a few fixes
[ -z "$shot" ] || import -window "$window" "$shot" || fail "no screenshot"

settings_rewritten() { [ "$work/Quorvane.XML" -nt "$work/sim.log" ]; }
wait_for 10 settings_rewritten || fail "the program did not write its settings file"
lines=$(grep -c $'\r$' "$work/Quorvane.XML")
[ "$lines" -eq 17 ] && [ "$(wc -l <"$work/Quorvane.XML")" -eq 17 ] ||
    fail "the settings file has $(wc -l <"$work/Quorvane.XML") lines, $lines with CR LF, not 17"
grep -q '<GPS_PORT_NAME>Com200</GPS_PORT_NAME>' "$work/Quorvane.XML" ||
    fail "the settings file does not name Com200"
echo "settings file written: 17 lines"

# SET TIME stands right of the lamps: a click in the middle of the rest of their row.
read -r right middle <<<"$(import -window "$window" png:- | "$convert" - txt:- | awk -F'[,: ]+' '
    / #00FF00/ { if ($1 > x) x = $1; y += $2; n++ } END { if (n) print x, int(y / n) }')"
[ -n "$right" ] || fail "the lamps were not found to click SET TIME beside them"
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + right + 60)) $((Y + middle)) click 1
box_shown() { xdotool search --onlyvisible --name '^Quorvane$' >/dev/null 2>&1; }
wait_for 10 box_shown || fail "SET TIME showed no box"
wait_for 5 grep -q 'Change the system time' "$work/Quorvane.log" ||
    fail "the box does not say that the right to set the clock is missing:" \
        "$(cat "$work/Quorvane.log" 2>/dev/null)"
echo "SET TIME: $(grep -m1 -o 'Clock not set.*Change the system time' "$work/Quorvane.log")"
echo "PASSED"
