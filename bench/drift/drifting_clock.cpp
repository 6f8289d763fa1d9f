#include "drifting_clock.h"

#include <cmath>
#include <numbers>

namespace quorvane::bench {

namespace {

constexpr double kDayMs = 86'400'000.0;
// The warmest moment of the day, when the swing peaks.
constexpr double kWarmestMs = 15 * 3'600'000.0;

}  // namespace

DriftingClock::DriftingClock(Oscillator oscillator, std::int64_t startUtcMs)
    : oscillator_(oscillator), startMs_(startUtcMs), trueMs_(startUtcMs) {}

double DriftingClock::rateAt(std::int64_t elapsedMs) const {
    const double days = static_cast<double>(elapsedMs) / kDayMs;
    const double phase =
        2 * std::numbers::pi * (static_cast<double>(elapsedMs) - kWarmestMs) / kDayMs;
    return oscillator_.driftPpm + oscillator_.dailySwingPpm * std::cos(phase) +
           oscillator_.ageingPpmPerDay * days + trimPpm_;
}

void DriftingClock::tick() {
    // The rate at the middle of the second stands for the whole second.
    offset_ += rateAt(trueMs_ - startMs_ + 500) * 1e-6;
    trueMs_ += 1000;
}

DateTime DriftingClock::localNow() {
    return fromEpochMilliseconds(trueMs_ + std::llround(offset_ * 1000));
}

MonoTime DriftingClock::monotonicNow() {
    return MonoTime{} + std::chrono::milliseconds(trueMs_);
}

TimeZoneInformation DriftingClock::timeZoneInformation() {
    return {TIME_ZONE_ID_UNKNOWN, 0, 0, 0};
}

ClockSetResult DriftingClock::setUtc(const DateTime& utc) {
    offset_ = static_cast<double>(toEpochMilliseconds(utc) - trueMs_) / 1000;
    ++sets_;
    return {ClockSetOutcome::Set, ""};
}

ClockDiscipline DriftingClock::discipline() {
    return {true, true, false, trimPpm_};
}

ClockSetResult DriftingClock::setFrequencyPpm(double ppm) {
    trimPpm_ = ppm;
    return {ClockSetOutcome::Set, ""};
}

}  // namespace quorvane::bench
