#pragma once

#include <chrono>

namespace quorvane {

// Monotonic instants: arrival stamps of received lines and the moment a clock is set are
// compared on this scale, which the wall clock's own steps never disturb.
using MonoClock = std::chrono::steady_clock;
using MonoTime = MonoClock::time_point;

}  // namespace quorvane
