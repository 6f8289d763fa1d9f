#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/mono_time.h"

namespace quorvane {

// A measurement takes this many bursts, one sample each ...
inline constexpr std::size_t kDelayBursts = 30;
// ... and refuses with fewer than this many by the end of its time.
inline constexpr std::size_t kMinDelayBursts = 20;
inline constexpr std::chrono::seconds kDelayMeasureTime{40};
// Bursts whose delay varies more than this from the median do not give one figure.
inline constexpr double kMaxDelaySpreadMs = 20;

// A measurement under way: the computer's UTC at each burst's first byte minus the instant the
// burst's fix names.
struct DelayMeasurement {
    bool asking = true;  // the user is still being asked whether to go on
    MonoTime started{};
    MonoTime lastBurst{};          // the burst the last sample came from
    std::int64_t lastNamedMs = 0;  // the instant its fix named, ms since 1970
    std::vector<double> samplesMs;
};

enum class DelayOutcome { Accepted, TooFewBursts, SpreadTooWide, OutOfRange };

struct DelayVerdict {
    DelayOutcome outcome = DelayOutcome::TooFewBursts;
    int delayMs = 0;      // the median, to the millisecond
    double spreadMs = 0;  // the median absolute deviation
    std::size_t bursts = 0;
};

// The median: the middle value, or the mean of the two middle ones. 0 for no values.
double medianOf(std::vector<double> values);

// The delay the samples give, or why they give none: fewer than kMinDelayBursts, a spread
// over kMaxDelaySpreadMs, or a delay outside 0 to the file's limit.
DelayVerdict judgeDelaySamples(const std::vector<double>& samplesMs);

}  // namespace quorvane
