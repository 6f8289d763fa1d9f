#include "clock/drift_learner.h"

#include "clock/receiver_delay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvane {

namespace {

constexpr double kMsPerHour = 3'600'000.0;

bool agree(const std::vector<DriftEstimate>& values) {
    const auto [low, high] = std::minmax_element(
        values.begin(), values.end(),
        [](const DriftEstimate& a, const DriftEstimate& b) { return a.ppm < b.ppm; });
    return high->ppm - low->ppm <= DriftLearner::kFarOffPpm;
}

bool usable(const DriftEstimate& e) {
    return std::abs(e.ppm) <= DriftLearner::kImplausiblePpm &&
           e.hours >= DriftLearner::kShortestIntervalHours && std::isfinite(e.hours);
}

}  // namespace

std::optional<double> DriftLearner::estimate(std::int64_t offsetMs, double intervalMs,
                                             double trimPpm) {
    if (!(intervalMs > 0)) {
        return std::nullopt;
    }
    // The clock ran at (drift + trim) ppm too fast, so it was ahead by that much of the
    // interval, and the offset (set minus reading) is that lead negated.
    return -static_cast<double>(offsetMs) / intervalMs * 1e6 - trimPpm;
}

DriftObservation DriftLearner::observe(const ClockSettingRecord& setting) {
    DriftObservation seen;
    const std::optional<std::int64_t> previous = previousUtcMs_;
    previousUtcMs_ = setting.utcSetMs;
    if (!previous) {
        return seen;
    }
    const auto intervalMs = static_cast<double>(setting.utcSetMs - *previous);
    seen.hours = intervalMs / kMsPerHour;
    if (seen.hours < kShortestIntervalHours) {
        seen.kind = DriftObservation::Kind::TooSoon;
        return seen;
    }
    if (!setting.trimSteady) {
        seen.kind = DriftObservation::Kind::TrimChanged;
        return seen;
    }
    seen.estimatePpm = *estimate(setting.offsetMs, intervalMs, setting.trimPpm);
    if (!(std::abs(seen.estimatePpm) <= kImplausiblePpm)) {
        seen.kind = DriftObservation::Kind::Implausible;
        return seen;
    }
    const DriftEstimate found{seen.estimatePpm, seen.hours};
    const std::optional<double> median = medianPpm();
    if (median && std::abs(found.ppm - *median) > kFarOffPpm) {
        farOff_.push_back(found);
        if (!agree(farOff_)) {
            // A run of agreeing far-off estimates starts again with this one.
            farOff_.erase(farOff_.begin(), farOff_.end() - 1);
        }
        if (farOff_.size() < kAgreeingToReplace) {
            seen.kind = DriftObservation::Kind::FarOff;
            return seen;
        }
        estimates_.assign(farOff_.begin(), farOff_.end());
        farOff_.clear();
        seen.kind = DriftObservation::Kind::Replaced;
        return seen;
    }
    farOff_.clear();
    keep(found);
    seen.kind = DriftObservation::Kind::Accepted;
    return seen;
}

void DriftLearner::keep(const DriftEstimate& estimate) {
    estimates_.push_back(estimate);
    while (estimates_.size() > kKept) {
        estimates_.pop_front();
    }
}

std::optional<double> DriftLearner::driftPpm() const {
    double weighted = 0, hours = 0;
    for (auto it = estimates_.rbegin(); it != estimates_.rend() && hours < kValueSpanHours; ++it) {
        weighted += it->ppm * it->hours;
        hours += it->hours;
    }
    if (!(hours > 0)) {
        return std::nullopt;
    }
    return weighted / hours;
}

std::optional<double> DriftLearner::medianPpm() const {
    if (estimates_.empty()) {
        return std::nullopt;
    }
    std::vector<double> values;
    for (const DriftEstimate& e : estimates_) {
        values.push_back(e.ppm);
    }
    return medianOf(values);
}

void DriftLearner::restore(const std::vector<DriftEstimate>& estimates) {
    estimates_.clear();
    farOff_.clear();
    for (const DriftEstimate& e : estimates) {
        if (usable(e)) {
            keep(e);
        }
    }
}

std::string driftText(double ppm) {
    char text[48];
    std::snprintf(text, sizeof text, "Drift %.1f ppm", ppm);
    return text;
}

}  // namespace quorvane
