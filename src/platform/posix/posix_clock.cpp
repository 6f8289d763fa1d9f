#include "platform/posix/posix_clock.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include <sys/timex.h>

#include "platform/posix/clock_right.h"

namespace quorvane {

namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
// The kernel refuses a larger frequency offset (MAXFREQ).
constexpr double kLargestFrequencyPpm = 500;
// adjtimex keeps ppm with a 16-bit binary fraction.
constexpr double kFrequencyScale = 65536.0;

ClockSetResult fromErrno(int error) {
    return {error == EPERM ? ClockSetOutcome::NotPermitted : ClockSetOutcome::Failed,
            std::strerror(error)};
}

struct ZoneAt {
    long offsetSeconds;  // east of UTC
    bool daylight;
};

std::optional<ZoneAt> zoneAt(std::time_t moment) {
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) {
        return std::nullopt;
    }
    return ZoneAt{local.tm_gmtoff, local.tm_isdst > 0};
}

std::int32_t minutesWest(long secondsEast) {
    return static_cast<std::int32_t>(-secondsEast / 60);
}

}  // namespace

PosixClock::PosixClock(std::vector<std::string> rateLockFiles)
    : rateLock_(std::move(rateLockFiles)) {}

bool PosixClock::holdRateLock() {
    return rateLock_.hold();
}

DateTime PosixClock::localNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    if (localtime_r(&now.tv_sec, &local) == nullptr) {
        return fromEpochMilliseconds(static_cast<std::int64_t>(now.tv_sec) * 1000);
    }
    return DateTime{local.tm_year + 1900,
                    local.tm_mon + 1,
                    local.tm_mday,
                    local.tm_hour,
                    local.tm_min,
                    local.tm_sec == 60 ? 59 : local.tm_sec,
                    static_cast<int>(now.tv_nsec / 1'000'000)};
}

MonoTime PosixClock::monotonicNow() {
    return MonoClock::now();
}

TimeZoneInformation PosixClock::timeZoneInformation() {
    tzset();
    const std::time_t now = std::time(nullptr);
    const std::optional<ZoneAt> current = zoneAt(now);
    if (!current) {
        return {};
    }

    // The zone's standard and daylight offsets this year: the first of every month at noon UTC
    // finds both halves of any daylight rule, northern or southern.
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::optional<long> standard, daylight;
    (current->daylight ? daylight : standard) = current->offsetSeconds;
    for (int month = 1; month <= 12; ++month) {
        const auto moment = static_cast<std::time_t>(
            daysFromCivil(utc.tm_year + 1900, month, 1) * kSecondsPerDay + kSecondsPerDay / 2);
        if (const std::optional<ZoneAt> probe = zoneAt(moment)) {
            std::optional<long>& slot = probe->daylight ? daylight : standard;
            if (!slot) {
                slot = probe->offsetSeconds;
            }
        }
    }

    TimeZoneInformation zone;
    if (!daylight) {
        zone.status = TIME_ZONE_ID_UNKNOWN;
        zone.Bias = minutesWest(current->offsetSeconds);
        return zone;
    }
    // A zone on daylight time all year still names its standard offset in TZ.
    const long standardOffset = standard ? *standard : -timezone;
    zone.status = current->daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
    zone.Bias = minutesWest(standardOffset);
    zone.StandardBias = 0;
    zone.DaylightBias = minutesWest(*daylight) - zone.Bias;
    return zone;
}

ClockSetResult PosixClock::setUtc(const DateTime& utc) {
    if (!isValid(utc)) {
        return {ClockSetOutcome::Failed, "the time to set is not a valid date and time"};
    }
    const std::int64_t ms = toEpochMilliseconds(utc);
    timespec value{};
    value.tv_sec = static_cast<std::time_t>(ms / 1000);
    value.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000L;
    if (value.tv_nsec < 0) {
        value.tv_sec -= 1;
        value.tv_nsec += 1'000'000'000L;
    }
    if (const int error = withClockRight([&] { return clock_settime(CLOCK_REALTIME, &value); })) {
        return fromErrno(error);
    }
    return {ClockSetOutcome::Set, ""};
}

ClockDiscipline PosixClock::discipline() {
    timex state{};
    state.modes = 0;
    if (::adjtimex(&state) < 0) {
        return {};
    }
    return {true, (state.status & STA_UNSYNC) != 0, (state.status & STA_PLL) != 0,
            static_cast<double>(state.freq) / kFrequencyScale};
}

ClockSetResult PosixClock::setFrequencyPpm(double ppm) {
    if (!std::isfinite(ppm)) {
        return {ClockSetOutcome::Failed, "the rate to set is not a number"};
    }
    timex change{};
    change.modes = ADJ_FREQUENCY;
    change.freq =
        std::lround(std::clamp(ppm, -kLargestFrequencyPpm, kLargestFrequencyPpm) * kFrequencyScale);
    if (const int error = withClockRight([&] { return ::adjtimex(&change); })) {
        return fromErrno(error);
    }
    return {ClockSetOutcome::Set, ""};
}

std::optional<std::chrono::milliseconds> PosixClock::suspendedTime() {
    timespec boot{}, monotonic{};
    if (clock_gettime(CLOCK_BOOTTIME, &boot) != 0 ||
        clock_gettime(CLOCK_MONOTONIC, &monotonic) != 0) {
        return std::nullopt;
    }
    const auto since = [](const timespec& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    return std::chrono::duration_cast<std::chrono::milliseconds>(since(boot) - since(monotonic));
}

}  // namespace quorvane
