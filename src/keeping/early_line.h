#pragma once

#include <cstddef>
#include <optional>

#include "keeping/rate_fit.h"

namespace quorvane {

// The clock's rate in the first minutes, before the binned fit trusts one: a least-squares line
// through every sample since the estimate began, the rate drawn towards the one known before
// as far as the samples are still unsure of it. A burst far off the line is left out.
class EarlyLine {
public:
    static constexpr std::size_t kFewestSamples = 5;

    void add(PhasePoint sample);
    void clear() { *this = {}; }
    void shift(double stepMs) { shiftMs_ += stepMs; }
    std::size_t samples() const { return n_; }
    // The rate, drawn towards priorPpm, which is known within priorWithinPpm; nullopt before
    // kFewestSamples.
    std::optional<double> ratePpm(double priorPpm, double priorWithinPpm) const;
    // The phase at a moment, along the rate given.
    double phaseAt(double atS, double ratePpm) const;

private:
    double scatterMs() const;

    double originS_ = 0, shiftMs_ = 0;
    std::size_t n_ = 0;
    double st_ = 0, sp_ = 0, stt_ = 0, stp_ = 0, spp_ = 0;
};

}  // namespace quorvane
