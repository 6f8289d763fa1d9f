#pragma once

#include <cstdint>
#include <optional>

#include "platform/date_time.h"
#include "platform/mono_time.h"

namespace quorvane {

// What started a setting of the computer clock. The user pressing "SET TIME" is told in a box;
// the timer's settings are told without one, since nobody may be there to answer.
// Keeping ends a large offset found while keeping time between settings.
enum class ClockSetCause { Button, Daily, AfterStartup, Keeping };

// One successful setting of the computer clock, as data for whoever learns from the settings.
struct ClockSetting {
    ClockSetCause cause = ClockSetCause::Button;
    DateTime utcSet;            // the value the clock was set to, UTC
    std::int64_t offsetMs = 0;  // value set minus the clock's reading just before: + was slow
    MonoTime at{};              // when it was set, on the monotonic clock
    // The receiver delay the value includes; none while no receiver file holds one.
    std::optional<int> receiverDelayMs;
};

// A setting waiting for a burst the reader could date, and since when.
struct PendingClockSet {
    ClockSetCause cause = ClockSetCause::Button;
    MonoTime since{};
};

}  // namespace quorvane
