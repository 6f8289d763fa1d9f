#pragma once

#include <cstddef>
#include <vector>

namespace quorvane::bench {

// One setting of the clock, in milliseconds.
struct Sample {
    double errorMs;          // value set − (true time − burst delay)
    double uncompensatedMs;  // the same for the fix's whole second, set unchanged
    double stampLateMs;      // the fix's burst stamp after the burst's true start
    double trueErrorMs;      // value set − true time: what the user gets
};

// Median of the signed values (its sign tells ahead or behind); 95th percentile (nearest rank)
// and worst of the absolute values.
struct Summary {
    std::size_t count = 0;
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

Summary summarize(const std::vector<double>& values);

}  // namespace quorvane::bench
