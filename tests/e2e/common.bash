# Shared by the end-to-end scripts: a private X server with a notification area, a temporary
# copy of the program folder, the program started without the right to set the clock, and
# readers for the window's icon and lamps. Sourced, never run; $1 of the script is the folder
# that holds the built programs.

bin=${1:?usage: $0 BIN_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
convert=/usr/bin/convert  # ImageMagick's own, whatever else PATH holds
pids=()
work=
# A sanitizer build reports leaks at exit as a failure; system libraries' own are not ours.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

skip() {
    echo "SKIPPED: $*"
    exit 77
}

fail() {
    echo "FAILED: $*"
    exit 1
}

cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    if [ -n "$work" ] && [ -n "${KEEP_WORK:-}" ]; then
        echo "work folder kept (KEEP_WORK): $work"
    elif [ -n "$work" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT

require_tools() {
    local tool package
    for tool in Xvfb trayer xdotool xprop xwininfo import setpriv python3 "$convert"; do
        case $tool in
            Xvfb) package=xvfb ;;
            xprop | xwininfo) package=x11-utils ;;
            import | "$convert") package=imagemagick ;;
            setpriv) package=util-linux ;;
            *) package=$tool ;;
        esac
        command -v "$tool" >/dev/null || skip "$tool is not installed (Debian package $package)"
    done
    [ -x "$bin/quorvane" ] || skip "$bin/quorvane is not built"
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1 start=$SECONDS
    shift
    until "$@"; do
        ((SECONDS - start < limit)) || return 1
        sleep 0.2
    done
}

start_x() {
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    pids+=($!)
    local number
    read -r -t 10 number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || skip "Xvfb could not start an X server here"
    export DISPLAY=":$number"
    trayer --edge top --align right --widthtype request --height 32 --transparent false \
        --tint 0xc0c0c0 >/dev/null 2>&1 &
    pids+=($!)
    wait_for 10 xdotool search --class trayer >/dev/null ||
        skip "trayer could not start a notification area"
}

# A fresh copy of the program folder, so no settings file is left in the build.
make_work_folder() {
    work=$(mktemp -d)
    cp "$bin/quorvane" "$bin"/*.ico "$work/"
}

# Writes the settings file naming port $1 ("Com200", "None/Reset") with no start-up delay.
write_settings() {
    "$here/../../scripts/write-settings.sh" "$1" "$work/Quorvane.XML"
}

has_sys_time() {  # $1: pid
    local eff
    eff=$(awk '/^CapEff:/ {print $2}' "/proc/$1/status")
    (((0x$eff >> 25) & 1))
}

# For the checks that a copy run with more rights than its user loads no plug-in the user names:
# an X server, a work folder whose copy stays root's and open to everyone (an installed program
# run by another user), and the plug-in $1 copied into $2, a folder of the user's own under the
# work folder. Sets $marker, the file the plug-in leaves when it is loaded.
prepare_user_plugin() {
    [ -r "$1" ] || skip "$1 is not built"
    command -v setcap >/dev/null || skip "setcap is not installed (Debian package libcap2-bin)"
    [ "$(id -u)" -eq 0 ] || skip "giving a file a capability and running it as another user need root"
    require_tools
    start_x
    make_work_folder
    write_settings "None/Reset"
    chown nobody "$work" "$work/Quorvane.XML"
    mkdir -p "$work/$2" && chmod -R 1777 "$work/plugins"
    cp "$1" "$work/$2/"
    marker=$work/$2/loaded
}

# Runs the command after it (./quorvane, perhaps behind env) from the work folder as the user
# "nobody", without CAP_SYS_TIME whatever the file grants. Sets $app.
start_as_nobody() {
    (cd "$work" && exec setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
        --inh-caps=-sys_time --bounding-set=-sys_time "$@") >"$work/program.log" 2>&1 &
    app=$!
    pids+=("$app")
}

# Gives the work copy a capability other than the clock's (binding low ports), as an installed
# copy would carry the clock's, and skips where the file system keeps none.
grant_file_capability() {
    setcap cap_net_bind_service+ep "$work/quorvane" 2>/dev/null ||
        skip "this file system keeps no file capabilities (setcap failed)"
}

# Skips unless the running program $1 holds that capability: file capabilities take no effect
# on a nosuid mount or under no_new_privs.
require_file_capability_in() {
    local prm
    prm=$(awk '/^CapPrm:/ {print $2}' "/proc/$1/status")
    (((0x$prm >> 10) & 1)) || skip "file capabilities take no effect here (nosuid or no_new_privs)"
}

# Starts the program from the work folder without CAP_SYS_TIME (CI runs as root, and root could
# set the clock); fails if the running program still holds it. Sets $app.
start_program() {
    if has_sys_time $$; then
        (cd "$work" && exec setpriv --bounding-set -sys_time --inh-caps=-sys_time ./quorvane) \
            >"$work/program.log" 2>&1 &
    else
        (cd "$work" && exec ./quorvane) >"$work/program.log" 2>&1 &
    fi
    app=$!
    pids+=("$app")
    wait_for 5 test -r "/proc/$app/status" || fail "the program did not start"
    sleep 0.2
    if has_sys_time "$app"; then
        kill "$app"
        fail "the program runs with CAP_SYS_TIME (CapEff bit 25): it could set this machine's clock"
    fi
}

# The main window's id, once it is mapped.
main_window() {
    xdotool search --onlyvisible --name "Brindle's Quorvane" 2>/dev/null | head -1
}

window_shown() {
    [ -n "$(main_window)" ]
}

# The colour of the window's icon as read back from _NET_WM_ICON: yellow, green, red or unknown.
icon_colour() {
    xprop -id "$1" -notype 32c _NET_WM_ICON 2>/dev/null | tr -d ',' | awk '
        { for (i = 3; i <= NF; i++) v[n++] = $i }
        END {
            if (n < 3) { print "unknown"; exit }
            w = v[0]; h = v[1]
            for (i = 2; i < 2 + w * h && i < n; i++) {
                p = v[i]; a = int(p / 16777216) % 256
                if (a < 200) continue
                r += int(p / 65536) % 256; g += int(p / 256) % 256; b += p % 256; c++
            }
            if (c == 0) { print "unknown"; exit }
            r /= c; g /= c; b /= c
            if (r > 120 && g > 120 && b < r / 2) print "yellow"
            else if (g > r + 40 && g > b + 40) print "green"
            else if (r > g + 40 && r > b + 40) print "red"
            else print "unknown"
        }'
}

# Pixels of pure lamp green and pure lamp red in the window: "green red".
lamp_pixels() {
    import -window "$1" png:- 2>/dev/null | "$convert" - txt:- 2>/dev/null | awk '
        / #00FF00/ { g++ } / #FF0000/ { r++ } END { printf "%d %d\n", g, r }'
}

# "X Y" of the icon in the notification area, once trayer has embedded it.
tray_icon_position() {
    xwininfo -root -tree | awk '/"Quorvane": \("quorvane"/ && $0 !~ /Brindle/ {
        split($(NF - 1), size, /[x+]/); split($NF, at, "+")
        if (size[1] <= 64 && size[2] <= 64 && at[2] > 0) { print at[2], at[3]; exit } }'
}

# Sends the window's close request, as a window manager's close button does.
close_window() {
    python3 "$here/x11_close.py" "$1"
}
