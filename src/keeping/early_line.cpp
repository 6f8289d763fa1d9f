#include "keeping/early_line.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Further off the line than kOutlierScatters, and at least this, a burst is bad.
constexpr double kLeastOutlierMs = 5;

}  // namespace

void EarlyLine::add(PhasePoint sample) {
    if (n_ == 0) {
        originS_ = sample.atS;
    }
    const double t = sample.atS - originS_;
    const double p = sample.phaseMs - shiftMs_;
    if (n_ >= kFewestSamples) {
        const double slope = *ratePpm(0, 1e9) * kMsPerSecondPerPpm;
        const double meanT = st_ / static_cast<double>(n_);
        const double line = sp_ / static_cast<double>(n_) + slope * (t - meanT);
        if (std::abs(p - line) > std::max(kLeastOutlierMs, kOutlierScatters * scatterMs())) {
            return;
        }
    }
    ++n_;
    st_ += t;
    sp_ += p;
    stt_ += t * t;
    stp_ += t * p;
    spp_ += p * p;
}

double EarlyLine::scatterMs() const {
    const auto n = static_cast<double>(n_);
    const double ctt = stt_ - st_ * st_ / n, ctp = stp_ - st_ * sp_ / n, cpp = spp_ - sp_ * sp_ / n;
    const double residual = ctt > 0 ? cpp - ctp * ctp / ctt : cpp;
    return std::max(kLeastScatterMs, std::sqrt(std::max(residual, 0.0) / std::max(n - 2, 1.0)));
}

std::optional<double> EarlyLine::ratePpm(double priorPpm, double priorWithinPpm) const {
    if (n_ < kFewestSamples) {
        return std::nullopt;
    }
    const auto n = static_cast<double>(n_);
    const double ctt = stt_ - st_ * st_ / n;
    if (!(ctt > 0)) {
        return priorPpm;
    }
    const double measured = (stp_ - st_ * sp_ / n) / ctt / kMsPerSecondPerPpm;
    const double within = scatterMs() / std::sqrt(ctt) / kMsPerSecondPerPpm;
    // Each weighed by how well it is known.
    const double weight =
        priorWithinPpm * priorWithinPpm / (priorWithinPpm * priorWithinPpm + within * within);
    return priorPpm + weight * (measured - priorPpm);
}

double EarlyLine::phaseAt(double atS, double ratePpm) const {
    const auto n = static_cast<double>(n_);
    return sp_ / n + shiftMs_ + ratePpm * kMsPerSecondPerPpm * (atS - originS_ - st_ / n);
}

}  // namespace quorvane
