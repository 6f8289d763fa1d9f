#pragma once

#include <string>

#include "platform/posix/computer_lock.h"
#include "platform/system_clock.h"

namespace quorvane {

// The computer's clock and time zone through the C library and clock_settime.
class PosixClock : public SystemClock {
public:
    // The lock for keeping time is a file that every user can lock: the first of these whose
    // folder exists.
    explicit PosixClock(std::vector<std::string> rateLockFiles = {"/run/lock/quorvane-keeping.lock",
                                                                  "/tmp/quorvane-keeping.lock"});

    DateTime localNow() override;
    MonoTime monotonicNow() override;
    // Built from the local zone's rules (TZ or /etc/localtime) at the moment of the call.
    TimeZoneInformation timeZoneInformation() override;
    // One clock_settime(CLOCK_REALTIME). Needs CAP_SYS_TIME; without it, NotPermitted.
    ClockSetResult setUtc(const DateTime& utc) override;
    // adjtimex with no mode bits: a read, safe for anyone.
    ClockDiscipline discipline() override;
    // adjtimex ADJ_FREQUENCY, within the kernel's 500 ppm. Needs CAP_SYS_TIME; without it,
    // NotPermitted.
    ClockSetResult setFrequencyPpm(double ppm) override;
    // CLOCK_BOOTTIME minus CLOCK_MONOTONIC.
    std::optional<std::chrono::milliseconds> suspendedTime() override;
    // flock on the lock file, which the kernel drops when the process ends.
    bool holdRateLock() override;

private:
    ComputerLock rateLock_;
};

}  // namespace quorvane
