#include "clock/drift_trimmer.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Finer than any system applies a rate, coarser than the rounding of a text round trip.
constexpr double kSameTrimPpm = 0.0005;

bool disciplinedElsewhere(const ClockDiscipline& state) {
    return state.known && (!state.unsynchronised || state.pll);
}

}  // namespace

double trimFor(double driftPpm) {
    return std::clamp(-driftPpm, -DriftTrimmer::kLimitPpm, DriftTrimmer::kLimitPpm);
}

void DriftTrimmer::start(SystemClock& clock) {
    const ClockDiscipline state = clock.discipline();
    trimPpm_ = state.known ? state.frequencyPpm : 0;
    steady_ = true;
    trimmedByUs_ = false;
}

TrimResult DriftTrimmer::follow(SystemClock& clock, bool keepTime, std::optional<double> driftPpm) {
    std::optional<double> target;
    if (keepTime && driftPpm) {
        target = trimFor(*driftPpm);
    } else if (!keepTime && trimmedByUs_) {
        target = 0.0;
    }
    if (!target || (trimmedByUs_ && std::abs(*target - trimPpm_) < kSameTrimPpm)) {
        return {};
    }
    if (disciplinedElsewhere(clock.discipline())) {
        return {TrimResult::Kind::Disciplined, trimPpm_, ""};
    }
    const ClockSetResult result = clock.setFrequencyPpm(*target);
    switch (result.outcome) {
        case ClockSetOutcome::Set:
            break;
        case ClockSetOutcome::NotPermitted:
            return {TrimResult::Kind::NotPermitted, *target, result.detail};
        case ClockSetOutcome::Failed:
            return {TrimResult::Kind::Failed, *target, result.detail};
    }
    if (std::abs(*target - trimPpm_) >= kSameTrimPpm) {
        steady_ = false;
    }
    trimPpm_ = *target;
    trimmedByUs_ = keepTime;
    return {TrimResult::Kind::Trimmed, *target, ""};
}

}  // namespace quorvane
