#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/date_time.h"
#include "platform/mono_time.h"

namespace quorvane {

// The time-zone record as the operating system reports it. Minutes, with UTC = local + bias.
inline constexpr std::uint32_t TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr std::uint32_t TIME_ZONE_ID_STANDARD = 1;
inline constexpr std::uint32_t TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr std::uint32_t TIME_ZONE_ID_INVALID = 0xFFFFFFFFu;

struct TimeZoneInformation {
    std::uint32_t status = TIME_ZONE_ID_INVALID;
    std::int32_t Bias = 0;
    std::int32_t StandardBias = 0;
    std::int32_t DaylightBias = 0;
};

enum class ClockSetOutcome {
    Set,           // the clock now runs from the value given
    NotPermitted,  // the process lacks the right to set the clock; nothing changed
    Failed,        // any other refusal; nothing changed
};

struct ClockSetResult {
    ClockSetOutcome outcome = ClockSetOutcome::Failed;
    std::string detail;  // the operating system's reason, for the user
};

// How the operating system keeps the clock between settings (adjtimex on Linux).
struct ClockDiscipline {
    bool known = false;          // false where the system does not tell
    bool unsynchronised = true;  // nobody vouches for the clock (STA_UNSYNC)
    bool pll = false;            // a time daemon is steering the clock (STA_PLL)
    double frequencyPpm = 0;     // the rate trim in force, parts per million
};

class SystemClock {
public:
    virtual ~SystemClock() = default;

    // The computer's local date and time now.
    virtual DateTime localNow() = 0;
    // The monotonic clock, the scale of the serial component's arrival stamps.
    virtual MonoTime monotonicNow() = 0;
    // The current time-zone record.
    virtual TimeZoneInformation timeZoneInformation() = 0;
    // Sets the computer's clock, date and time in one call, to the millisecond.
    virtual ClockSetResult setUtc(const DateTime& utc) = 0;

    // Reading it changes nothing. Where the system has no such notion, nothing is known.
    virtual ClockDiscipline discipline() { return {}; }
    // Trims the clock's rate; needs the same right as setting the clock. Never the system's
    // own loop: that would make the clock look disciplined by another program.
    virtual ClockSetResult setFrequencyPpm(double /*ppm*/) {
        return {ClockSetOutcome::Failed, "this system cannot trim the clock's rate"};
    }
    // One copy per computer steers the rate: takes the computer's lock for keeping time, or
    // keeps it when already held. False while another running copy holds it; a copy that
    // ended, however it ended, holds nothing. Where the system has no such lock, true.
    virtual bool holdRateLock() { return true; }
    // How far a clock that counts suspended time has run ahead of the monotonic clock, which
    // does not: it grows by the length of each suspend. nullopt where the system has no such
    // clock (Windows tells of a resume by a notice instead).
    virtual std::optional<std::chrono::milliseconds> suspendedTime() { return std::nullopt; }
};

// A pseudo-random generator that can be reseeded from the clock.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // 0 <= r < 1.
    virtual float next() = 0;
};

}  // namespace quorvane
