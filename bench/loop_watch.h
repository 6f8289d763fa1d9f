#pragma once

#include <QTimer>

#include <chrono>
#include <deque>
#include <utility>

#include "platform/mono_time.h"

namespace quorvane::bench {

// How late the event loop runs a 5 ms timer. While the loop (or the whole process) is held up,
// bytes wait unread, and those that begin a burst are stamped late.
class LoopWatch {
public:
    LoopWatch();
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }

    // The longest delay in the span before now, and since the start, in milliseconds.
    double longestWithin(std::chrono::milliseconds span) const;
    double longest() const { return longest_; }

private:
    void onTimeout();

    QTimer timer_;
    MonoTime last_{};
    std::deque<std::pair<MonoTime, double>> recent_;  // when, how late
    double longest_ = 0;
};

}  // namespace quorvane::bench
