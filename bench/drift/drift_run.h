#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drifting_clock.h"

namespace quorvane::bench {

// One case of the month: the oscillator and what befalls the computer and the receiver.
struct DriftCase {
    std::string name;
    Oscillator oscillator;
    double jitterMs = 0;  // each burst's stamp off by up to this, either way
    // Days into the run at which things happen (fractions for hours); negative: never.
    double receiverAwayDay = -1, receiverAwayDays = 0;
    bool nightlySuspends = false;  // 8 hours each night, the clock back up to 0.5 s off
    double handStepDay = -1, handStepMs = 0;
    double delayChangeDay = -1;
    int newDelayMs = 80;
    // The clock this far off when the program starts, and set once after start-up.
    double startOffMs = 1500;
    bool syncAfterStartup = true;
    // A clock that starts right with no setting after start-up: its first setting is a daily one,
    // which a short run may not reach.
    bool startsRight() const { return !syncAfterStartup && startOffMs == 0; }
};

struct DriftRunResult {
    double firstSettingS = -1;  // seconds after start; -1: never set
    // The largest |offset| from the first setting on: over its first hour, and over the run.
    // Left out: the receiver's absence, and the 2 minutes after what the program cannot
    // foresee (a resume, a step by hand, the receiver's return). Never the time after a setting.
    double worstFirstHourMs = 0;
    double worstMs = 0;
    double atReceiverBackMs = -1;  // |offset| at the end of the absence; -1 without one
    int keepingSettings = 0;       // settings the program made for keeping
    int settings = 0;              // all of them, the daily ones too
    double driftLearnedPpm = 0;
    std::vector<std::string> log;
};

// Runs the window model, with the option on, on a drifting clock for the days given: every
// second of true time the receiver's burst arrives through the serial component (with the
// receiver's delay, and its stamp's jitter), and the status timer ticks.
DriftRunResult runDrift(const DriftCase& scenario, double days);

}  // namespace quorvane::bench
