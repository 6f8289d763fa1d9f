#pragma once

#include <string>
#include <vector>

#include "drifting_clock.h"

namespace quorvane::bench {

struct DriftRun {
    Oscillator oscillator;
    bool keepTime = false;
    int days = 30;
    int receiverDelayMs = 150;
    unsigned scheduleSeed = 1;  // the daily minutes drawn
};

struct DriftRunResult {
    std::vector<double> largestOffsetMsByDay;  // the largest |clock - true time| in each day
    int settings = 0;
    double learnedDriftPpm = 0;    // 0 when nothing was learned
    std::vector<std::string> log;  // the window's log lines
};

// Runs the window model on a drifting clock for the days given: every second of true time the
// clock runs on; at the first second of the scheduled minute by the clock, the window sets it
// from a fix (its SetComputerClock_Click, which also learns the drift and trims the rate).
DriftRunResult runDrift(const DriftRun& run);

}  // namespace quorvane::bench
