#pragma once

#include <cstdint>
#include <functional>

#include "platform/posix/posix_clock.h"

namespace quorvane::bench {

// The computer's own clock and time zone for everything but setting: a setting is only
// recorded, with the true time at the moment the real setter would have run. It never sets the
// clock.
class RecordingClock : public SystemClock {
public:
    // The value asked for and the system's real time then, in nanoseconds since 1970.
    using SetObserver = std::function<void(const DateTime& utc, std::int64_t trueWallNs)>;

    explicit RecordingClock(SetObserver observer) : observer_(std::move(observer)) {}

    DateTime localNow() override { return real_.localNow(); }
    MonoTime monotonicNow() override { return real_.monotonicNow(); }
    TimeZoneInformation timeZoneInformation() override { return real_.timeZoneInformation(); }
    ClockSetResult setUtc(const DateTime& utc) override;

private:
    PosixClock real_;
    SetObserver observer_;
};

// The system's real time now, in nanoseconds since 1970.
std::int64_t wallNowNs();

}  // namespace quorvane::bench
