#include "clock/receiver_delay.h"

#include <algorithm>
#include <cmath>

#include "settings/receiver_file.h"

namespace quorvane {

double medianOf(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
}

DelayVerdict judgeDelaySamples(const std::vector<double>& samplesMs) {
    DelayVerdict verdict;
    verdict.bursts = samplesMs.size();
    if (samplesMs.size() < kMinDelayBursts) {
        verdict.outcome = DelayOutcome::TooFewBursts;
        return verdict;
    }
    const double median = medianOf(samplesMs);
    std::vector<double> deviations;
    deviations.reserve(samplesMs.size());
    for (double sample : samplesMs) {
        deviations.push_back(std::fabs(sample - median));
    }
    verdict.spreadMs = medianOf(deviations);
    verdict.delayMs = static_cast<int>(std::lround(median));
    if (verdict.spreadMs > kMaxDelaySpreadMs) {
        verdict.outcome = DelayOutcome::SpreadTooWide;
    } else if (verdict.delayMs < 0 || verdict.delayMs > kMaxReceiverDelayMs) {
        verdict.outcome = DelayOutcome::OutOfRange;
    } else {
        verdict.outcome = DelayOutcome::Accepted;
    }
    return verdict;
}

}  // namespace quorvane
