#include "clock/drift_learner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvane {

namespace {

constexpr double kMsPerHour = 3'600'000.0;

bool agree(const std::vector<double>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return *high - *low <= DriftLearner::kFarOffPpm;
}

}  // namespace

double medianOf(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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
    const std::optional<double> learned = driftPpm();
    if (learned && std::abs(seen.estimatePpm - *learned) > kFarOffPpm) {
        farOff_.push_back(seen.estimatePpm);
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
    estimates_.push_back(seen.estimatePpm);
    while (estimates_.size() > kKept) {
        estimates_.pop_front();
    }
    seen.kind = DriftObservation::Kind::Accepted;
    return seen;
}

std::optional<double> DriftLearner::driftPpm() const {
    if (estimates_.empty()) {
        return std::nullopt;
    }
    return medianOf({estimates_.begin(), estimates_.end()});
}

void DriftLearner::restore(const std::vector<double>& estimates) {
    estimates_.clear();
    farOff_.clear();
    for (double value : estimates) {
        if (std::abs(value) <= kImplausiblePpm) {
            estimates_.push_back(value);
        }
    }
    while (estimates_.size() > kKept) {
        estimates_.pop_front();
    }
}

std::string driftText(double ppm) {
    char text[48];
    std::snprintf(text, sizeof text, "Drift %.1f ppm", ppm);
    return text;
}

}  // namespace quorvane
