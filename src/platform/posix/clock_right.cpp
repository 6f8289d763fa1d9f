#include "platform/posix/clock_right.h"

#include <initializer_list>

#include <sys/capability.h>

namespace quorvane {

namespace {

// Sets or clears the right in the given sets of the calling thread; false where refused.
bool setClockRight(std::initializer_list<cap_flag_t> sets, cap_flag_value_t value) {
    cap_t caps = cap_get_proc();
    if (caps == nullptr) {
        return false;
    }
    cap_value_t right[] = {CAP_SYS_TIME};
    bool done = true;
    for (cap_flag_t set : sets) {
        done = done && cap_set_flag(caps, set, 1, right, value) == 0;
    }
    done = done && cap_set_proc(caps) == 0;
    cap_free(caps);
    return done;
}

}  // namespace

bool holdsClockRight() {
    cap_t caps = cap_get_proc();
    if (caps == nullptr) {
        return false;
    }
    cap_flag_value_t permitted = CAP_CLEAR;
    const bool known = cap_get_flag(caps, CAP_SYS_TIME, CAP_PERMITTED, &permitted) == 0;
    cap_free(caps);
    return known && permitted == CAP_SET;
}

void lowerClockRight() {
    setClockRight({CAP_EFFECTIVE}, CAP_CLEAR);
}

bool raiseClockRight() {
    return holdsClockRight() && setClockRight({CAP_EFFECTIVE}, CAP_SET);
}

void withdrawClockRight() {
    // The bounding set first: changing it needs CAP_SETPCAP, which a program given only the
    // clock right lacks, and then the other sets still keep the right away.
    cap_drop_bound(CAP_SYS_TIME);
    cap_set_ambient(CAP_SYS_TIME, CAP_CLEAR);
    setClockRight({CAP_EFFECTIVE, CAP_PERMITTED, CAP_INHERITABLE}, CAP_CLEAR);
}

}  // namespace quorvane
