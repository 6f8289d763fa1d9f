#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// Drift, throughout: how fast this computer's clock runs when nothing trims it, in parts per
// million, positive when it gains. A trim is the rate change the system applies (positive
// makes the clock run faster), so the trim that keeps time is the drift negated.

// One successful clock setting, as the learner needs it.
struct ClockSettingRecord {
    std::int64_t offsetMs = 0;  // the value set minus the clock's reading just before
    std::int64_t utcSetMs = 0;  // the UTC value set, milliseconds since 1970: true time
    double trimPpm = 0;         // the trim in force since the previous setting
    bool trimSteady = true;     // false when the trim changed between the two settings
};

// One interval's estimate and the interval's length.
struct DriftEstimate {
    double ppm = 0;
    double hours = 0;

    friend bool operator==(const DriftEstimate&, const DriftEstimate&) = default;
};

// What one setting taught.
struct DriftObservation {
    enum class Kind {
        First,        // no earlier setting to measure from
        TooSoon,      // less than the shortest interval since the previous one
        TrimChanged,  // the trim changed meanwhile: the interval measures nothing clean
        Accepted,     // kept among the estimates
        Implausible,  // beyond what a working clock drifts
        FarOff,       // far from the estimates kept
        Replaced,     // far off, but agreeing with those before it: the drift really changed
    };
    Kind kind = Kind::First;
    double estimatePpm = 0;  // meaningful from Accepted on
    double hours = 0;        // the interval measured
};

// Learns the drift from successive settings: each interval long enough gives one estimate.
// The median of the newest few decides which estimates count; the drift trimmed is the mean of
// the newest day's worth of them, each weighted by its interval. A median of seven lags days
// behind an ageing crystal, and a short interval catches only part of the day's warm-cold
// swing; a day of intervals averages the swing out and follows the ageing.
class DriftLearner {
public:
    static constexpr double kShortestIntervalHours = 6;
    static constexpr double kImplausiblePpm = 500;
    // Wider than a day's swing with temperature, narrower than a suspend or a hand-set clock.
    static constexpr double kFarOffPpm = 5;
    static constexpr std::size_t kKept = 7;
    // This many far-off estimates in a row, agreeing among themselves, replace the history.
    static constexpr std::size_t kAgreeingToReplace = 3;
    static constexpr double kValueSpanHours = 24;

    // The estimate one interval gives; nullopt for an interval of no length.
    static std::optional<double> estimate(std::int64_t offsetMs, double intervalMs, double trimPpm);

    DriftObservation observe(const ClockSettingRecord& setting);

    // The drift learned; nullopt before the first estimate.
    std::optional<double> driftPpm() const;
    // The median of the estimates kept, against which a new one is judged.
    std::optional<double> medianPpm() const;
    const std::deque<DriftEstimate>& estimates() const { return estimates_; }
    // Replaces what was learned (from the file); values out of range are dropped.
    void restore(const std::vector<DriftEstimate>& estimates);
    // Forgets the previous setting, so the next one starts a fresh interval.
    void forgetPreviousSetting() { previousUtcMs_.reset(); }

private:
    std::optional<std::int64_t> previousUtcMs_;
    void keep(const DriftEstimate& estimate);

    std::deque<DriftEstimate> estimates_;
    std::vector<DriftEstimate> farOff_;
};

// "Drift 23.4 ppm" with the learner's sign.
std::string driftText(double ppm);

}  // namespace quorvane
