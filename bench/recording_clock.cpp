#include "recording_clock.h"

#include <time.h>

namespace quorvane::bench {

std::int64_t wallNowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

ClockSetResult RecordingClock::setUtc(const DateTime& utc) {
    // First thing: this is the instant clock_settime would have taken the value.
    const std::int64_t trueNs = wallNowNs();
    if (observer_) {
        observer_(utc, trueNs);
    }
    return {ClockSetOutcome::Set, ""};
}

}  // namespace quorvane::bench
