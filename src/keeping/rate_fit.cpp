#include "keeping/rate_fit.h"

#include <algorithm>
#include <cmath>

#include "clock/receiver_delay.h"  // medianOf

namespace quorvane {

namespace {

// A bin further off the line than kOutlierScatters, and at least this, is out.
constexpr double kLeastOutlierMs = 3;
// The newest bins, against which the line is checked for a bend, and from which the phase now
// is projected.
constexpr std::size_t kNewestBins = 18;
// The phase now is averaged over enough of the newest bins to know it this well: more of them
// where the bursts scatter, else the clock would follow the scatter of a few minutes.
constexpr double kPhaseWithinMs = 0.4;
constexpr double kMeanSpanS = 600;
constexpr double kDayS = 86'400;
constexpr std::size_t kMeansKept = 150;  // a day of ten-minute means, and some

}  // namespace

std::optional<BinVerdict> RateFit::add(PhasePoint sample) {
    std::optional<BinVerdict> verdict;
    if (!open_.empty() && sample.atS - open_.front().atS >= kBinS) {
        verdict = close();
    }
    open_.push_back(sample);
    return verdict;
}

BinVerdict RateFit::close() {
    std::vector<double> times, phases;
    for (const PhasePoint& p : open_) {
        times.push_back(p.atS);
        phases.push_back(p.phaseMs);
    }
    open_.clear();
    const PhasePoint bin{medianOf(times), medianOf(phases)};
    if (fitted_) {
        const double residual = bin.phaseMs - (intercept_ + slope_ * (bin.atS - reference_));
        if (std::abs(residual) > std::max(kLeastOutlierMs, kOutlierScatters * scatterMs_)) {
            if (++outlierRun_ >= kOutliersForStep) {
                // The clock stepped: the line before it says nothing of the phase after.
                clear();
                return BinVerdict::Stepped;
            }
            return BinVerdict::Outlier;
        }
    }
    outlierRun_ = 0;
    bins_.push_back(bin);
    ++fresh_;
    keepDailyMean(bin);
    refit();
    return BinVerdict::Accepted;
}

void RateFit::refit() {
    if (bins_.size() >= window_ && window_ < kMostBins && fitted_) {
        // The window is full and the clock behaved over it: look further back.
        window_ = std::min(window_ * 2, kMostBins);
    }
    while (bins_.size() > window_) {
        bins_.pop_front();
    }
    if (bins_.size() < 3) {
        fitted_ = false;
        return;
    }
    reference_ = bins_.back().atS;
    double st = 0, sp = 0;
    for (const PhasePoint& b : bins_) {
        st += b.atS - reference_;
        sp += b.phaseMs;
    }
    const auto n = static_cast<double>(bins_.size());
    const double meanT = st / n, meanP = sp / n;
    double stt = 0, stp = 0;
    for (const PhasePoint& b : bins_) {
        stt += (b.atS - reference_ - meanT) * (b.atS - reference_ - meanT);
        stp += (b.atS - reference_ - meanT) * (b.phaseMs - meanP);
    }
    if (!(stt > 0)) {
        fitted_ = false;
        return;
    }
    slope_ = stp / stt;
    intercept_ = meanP - slope_ * meanT;
    std::vector<double> off;
    double squares = 0, newest = 0;
    std::size_t i = 0;
    for (const PhasePoint& b : bins_) {
        const double r = b.phaseMs - (intercept_ + slope_ * (b.atS - reference_));
        off.push_back(std::abs(r));
        squares += r * r;
        if (++i + kNewestBins > bins_.size()) {
            newest += r;
        }
    }
    // 1.4826 times the median absolute residual: the scatter of a normal spread, robustly.
    scatterMs_ = std::max(kLeastScatterMs, 1.4826 * medianOf(off));
    fitted_ = true;
    const double rateError = std::max(kLeastScatterMs, std::sqrt(squares / std::max(n - 2, 1.0))) /
                             std::sqrt(stt) / kMsPerSecondPerPpm;
    if (bins_.size() >= 6 && rateError <= kTrustedPpm) {
        trusted_ = slope_ / kMsPerSecondPerPpm;
    }
    // The newest bins bend away from the line: the rate changed, look back less far.
    const auto k = static_cast<double>(std::min(kNewestBins, bins_.size()));
    if (std::abs(newest / k) > 4 * scatterMs_ / std::sqrt(k) + 0.5) {
        window_ = kFewestBins;
    }
}

void RateFit::keepDailyMean(const PhasePoint& bin) {
    sum_.atS += bin.atS;
    sum_.phaseMs += bin.phaseMs;
    ++summed_;
    if (summed_ * kBinS >= kMeanSpanS) {
        means_.push_back({sum_.atS / summed_, sum_.phaseMs / summed_});
        if (means_.size() > kMeansKept) {
            means_.pop_front();
        }
        sum_ = {};
        summed_ = 0;
    }
}

std::optional<double> RateFit::dailyRatePpm() const {
    if (means_.size() < 2 || means_.back().atS - means_.front().atS < kDayS) {
        return std::nullopt;
    }
    // The mean nearest a whole day before the newest one.
    const PhasePoint& newest = means_.back();
    const PhasePoint* dayBefore = &means_.front();
    for (const PhasePoint& m : means_) {
        if (std::abs(newest.atS - m.atS - kDayS) < std::abs(newest.atS - dayBefore->atS - kDayS)) {
            dayBefore = &m;
        }
    }
    return (newest.phaseMs - dayBefore->phaseMs) / (newest.atS - dayBefore->atS) /
           kMsPerSecondPerPpm;
}

std::optional<double> RateFit::phaseAt(double atS, double ratePpm) const {
    if (bins_.empty()) {
        return std::nullopt;
    }
    // Only along a rate known well: projected along a guess, older bins would mislead.
    const double wanted =
        fitted_ && trusted_ ? std::ceil(std::pow(scatterMs_ / kPhaseWithinMs, 2)) : 0;
    const std::size_t k =
        std::min({std::max(kNewestBins, static_cast<std::size_t>(std::min(wanted, 1e6))),
                  bins_.size(), fresh_});
    if (k == 0) {
        return std::nullopt;
    }
    double sum = 0;
    for (std::size_t i = bins_.size() - k; i < bins_.size(); ++i) {
        sum += bins_[i].phaseMs + ratePpm * kMsPerSecondPerPpm * (atS - bins_[i].atS);
    }
    return sum / static_cast<double>(k);
}

void RateFit::clear() {
    means_.clear();
    sum_ = {};
    summed_ = 0;
    restartLine();
}

void RateFit::restartLine() {
    open_.clear();
    bins_.clear();
    window_ = kFewestBins;
    fresh_ = 0;
    outlierRun_ = 0;
    fitted_ = false;
    trusted_.reset();
}

void RateFit::shift(double stepMs) {
    for (PhasePoint& p : open_) {
        p.phaseMs += stepMs;
    }
    for (PhasePoint& p : bins_) {
        p.phaseMs += stepMs;
    }
    for (PhasePoint& p : means_) {
        p.phaseMs += stepMs;
    }
    sum_.phaseMs += stepMs * summed_;
    intercept_ += stepMs;
}

}  // namespace quorvane
