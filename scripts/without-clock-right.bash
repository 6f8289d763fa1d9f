# Sourced, after the cd to the checkout, by the scripts that run tests or Wine: runs the calling
# script again without CAP_SYS_TIME, in every capability set and the bounding set, so nothing it
# starts (Wine's SetSystemTime included, which reaches the host's clock when the process may)
# can set the clock. CI runs as root; a user without the right has nothing to drop.
if [ -z "${QUORVANE_NO_CLOCK_RIGHT:-}" ] && [ "$(id -u)" -eq 0 ]; then
    export QUORVANE_NO_CLOCK_RIGHT=1
    exec setpriv --inh-caps -sys_time --bounding-set -sys_time -- \
        bash "$PWD/scripts/$(basename "$0")" "$@"
fi
