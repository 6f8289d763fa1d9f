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
    const auto elapsed = static_cast<double>(elapsedMs);
    const double phase = 2 * std::numbers::pi * (elapsed - kWarmestMs) / oscillator_.swingPeriodMs;
    const double step = elapsedMs >= oscillator_.rateStepAtMs ? oscillator_.rateStepPpm : 0;
    return oscillator_.driftPpm + step + oscillator_.dailySwingPpm * std::cos(phase) +
           oscillator_.ageingPpmPerDay * elapsed / kDayMs + trimPpm_;
}

void DriftingClock::tick() {
    // The rate at the middle of the second stands for the whole second.
    offsetMs_ += rateAt(trueMs_ - startMs_ + 500) * 1e-3;
    trueMs_ += 1000;
}

void DriftingClock::suspend(std::int64_t forMs, double offMs) {
    trueMs_ += forMs;
    suspendedMs_ += forMs;
    offsetMs_ = offMs;
}

DateTime DriftingClock::localNow() {
    return fromEpochMilliseconds(trueMs_ + std::llround(offsetMs_));
}

MonoTime DriftingClock::monotonicNow() {
    return MonoTime{} + std::chrono::milliseconds(trueMs_ - suspendedMs_);
}

TimeZoneInformation DriftingClock::timeZoneInformation() {
    return {TIME_ZONE_ID_UNKNOWN, 0, 0, 0};
}

ClockSetResult DriftingClock::setUtc(const DateTime& utc) {
    offsetMs_ = static_cast<double>(toEpochMilliseconds(utc) - trueMs_);
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

std::optional<std::chrono::milliseconds> DriftingClock::suspendedTime() {
    return std::chrono::milliseconds(suspendedMs_);
}

}  // namespace quorvane::bench
