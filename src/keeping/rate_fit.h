#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace quorvane {

inline constexpr double kMsPerSecondPerPpm = 1e-3;
// The least scatter assumed: the clock is read to the millisecond.
inline constexpr double kLeastScatterMs = 0.3;
// Further off the line than this many scatters, a sample (or bin) is left out.
inline constexpr double kOutlierScatters = 6;

// The clock's free-running phase against true time, in milliseconds: its offset with every rate
// trim applied since the estimate began taken out. Its slope is the clock's own rate error.
struct PhasePoint {
    double atS = 0;  // monotonic seconds
    double phaseMs = 0;
};

// What one closed bin did to the fit.
enum class BinVerdict {
    Accepted,
    Outlier,  // far from the line: a bad stretch of bursts, or the clock stepped
    Stepped,  // so many outliers in a row that the clock must have stepped
};

// A straight line fitted robustly through the phase: samples are gathered into bins of ten
// seconds, each bin stands for its median (so a single bad burst never counts), a bin far from
// the line is left out, and the line spans a window that grows while the clock behaves (two
// minutes at first, up to two hours) and shrinks again when the newest bins bend away from it.
// Ten-minute means of the phase, kept for a day, give the rate over a whole day, in which the
// warm-cold swing cancels out.
class RateFit {
public:
    static constexpr double kBinS = 10;
    static constexpr std::size_t kFewestBins = 12;
    static constexpr std::size_t kMostBins = 720;
    // Outliers in a row that mean a step: a minute of bursts all off the line.
    static constexpr int kOutliersForStep = 6;
    // A rate known this well (standard error, ppm) is trusted.
    static constexpr double kTrustedPpm = 1;

    // Adds one sample; a bin that closes is judged and, when accepted, refits the line.
    std::optional<BinVerdict> add(PhasePoint sample);
    // Forgets everything.
    void clear();
    // Moves every stored phase by a known step of the clock.
    void shift(double stepMs);
    // Keeps the day's means but starts the line afresh, its rate unknown again (the clock was
    // left to itself a while).
    void restartLine();

    std::size_t bins() const { return bins_.size(); }
    // Bins accepted since the last clear or restartLine.
    std::size_t freshBins() const { return fresh_; }
    // The rate from the line, ppm, once its standard error is within kTrustedPpm.
    std::optional<double> trustedRatePpm() const { return trusted_; }
    // The rate over the last whole day, from the day's means; nullopt before a day is seen.
    std::optional<double> dailyRatePpm() const;
    // The phase now, projected from the newest bins along the given rate.
    std::optional<double> phaseAt(double atS, double ratePpm) const;

private:
    BinVerdict close();
    void refit();
    void keepDailyMean(const PhasePoint& bin);

    std::vector<PhasePoint> open_;
    std::deque<PhasePoint> bins_;
    std::size_t window_ = kFewestBins;
    std::size_t fresh_ = 0;
    int outlierRun_ = 0;
    // The line through the window: phase = intercept + slope * (t - reference).
    double reference_ = 0, intercept_ = 0, slope_ = 0, scatterMs_ = 0;
    bool fitted_ = false;
    std::optional<double> trusted_;
    // Ten-minute means of the phase, the newest last, and the one being gathered.
    std::deque<PhasePoint> means_;
    PhasePoint sum_{};
    int summed_ = 0;
};

}  // namespace quorvane
