#include "error_stats.h"

#include <algorithm>
#include <cmath>

namespace quorvane::bench {

Summary summarize(const std::vector<double>& values) {
    Summary summary;
    summary.count = values.size();
    if (values.empty()) {
        return summary;
    }
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    summary.median = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;

    std::vector<double> magnitudes;
    for (double value : values) {
        magnitudes.push_back(std::fabs(value));
    }
    std::sort(magnitudes.begin(), magnitudes.end());
    const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    summary.p95 = magnitudes[std::max<std::size_t>(rank, 1) - 1];
    summary.worst = magnitudes.back();
    return summary;
}

}  // namespace quorvane::bench
