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
    std::int64_t offsetMs = 0;   // the value set minus the clock's reading just before
    std::int64_t utcSetMs = 0;   // the UTC value set, milliseconds since 1970: true time
    double trimPpm = 0;          // the trim in force since the previous setting
    bool trimSteady = true;      // false when the trim changed between the two settings
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

// Learns the drift from successive settings: each interval long enough gives one estimate;
// the learned drift is the median of the newest few.
class DriftLearner {
public:
    static constexpr double kShortestIntervalHours = 6;
    static constexpr double kImplausiblePpm = 500;
    // Wider than a day's swing with temperature, narrower than a suspend or a hand-set clock.
    static constexpr double kFarOffPpm = 5;
    static constexpr std::size_t kKept = 7;
    // This many far-off estimates in a row, agreeing among themselves, replace the history.
    static constexpr std::size_t kAgreeingToReplace = 3;

    // The estimate one interval gives; nullopt for an interval of no length.
    static std::optional<double> estimate(std::int64_t offsetMs, double intervalMs,
                                          double trimPpm);

    DriftObservation observe(const ClockSettingRecord& setting);

    // The median of the estimates kept; nullopt before the first.
    std::optional<double> driftPpm() const;
    const std::deque<double>& estimates() const { return estimates_; }
    // Replaces what was learned (from the file); out-of-range values are dropped.
    void restore(const std::vector<double>& estimates);
    // Forgets the previous setting, so the next one starts a fresh interval.
    void forgetPreviousSetting() { previousUtcMs_.reset(); }

private:
    std::optional<std::int64_t> previousUtcMs_;
    std::deque<double> estimates_;
    std::vector<double> farOff_;
};

double medianOf(std::vector<double> values);

// "Drift 23.4 ppm" with the learner's sign.
std::string driftText(double ppm);

}  // namespace quorvane
