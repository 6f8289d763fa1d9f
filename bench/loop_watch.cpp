#include "loop_watch.h"

#include <algorithm>

namespace quorvane::bench {

namespace {

constexpr std::chrono::milliseconds kPeriod{5};
constexpr std::chrono::seconds kKept{5};

}  // namespace

LoopWatch::LoopWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriod);
    QObject::connect(&timer_, &QTimer::timeout, [this] { onTimeout(); });
}

void LoopWatch::onTimeout() {
    const MonoTime now = MonoClock::now();
    if (last_ != MonoTime{}) {
        const double late =
            std::chrono::duration<double, std::milli>(now - last_ - kPeriod).count();
        recent_.emplace_back(now, std::max(late, 0.0));
        longest_ = std::max(longest_, late);
    }
    last_ = now;
    while (!recent_.empty() && now - recent_.front().first > kKept) {
        recent_.pop_front();
    }
}

double LoopWatch::longestWithin(std::chrono::milliseconds span) const {
    const MonoTime since = MonoClock::now() - span;
    double longest = 0;
    for (const auto& [when, late] : recent_) {
        if (when >= since) {
            longest = std::max(longest, late);
        }
    }
    return longest;
}

}  // namespace quorvane::bench
