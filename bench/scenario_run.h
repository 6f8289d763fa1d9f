#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "error_stats.h"
#include "scenarios.h"

namespace quorvane::bench {

struct RunConfig {
    std::size_t settings = 200;       // settings to record
    std::filesystem::path simulator;  // the nmea-sim program
    int port = 240;                   // ComN the simulator appears as
    std::uint32_t seed = 1;           // for the random moments
    // The window on screen (offscreen) as in the program, its repaints on the same thread; "SET
    // TIME" is then clicked on its button. Needs a QApplication.
    bool withView = true;
    // The program is stopped now and then (Stalls): a trigger may then wait for a burst the
    // program can vouch for, so a trigger counts as setting when a setting follows it before any
    // refusal, instead of having to set at once.
    bool stalls = false;
};

struct RunResult {
    std::vector<Sample> samples;
    // Where the scenario measures the receiver delay: the settings before it, and what
    // "Measure Now" reported. The settings after it are `samples`.
    std::vector<Sample> before;
    std::string measurement;
    // Each trigger that set nothing, each message the window showed, and each setting whose
    // burst stamp was more than 10 ms late, in words.
    std::vector<std::string> problems;
    double longestLoopDelayMs = 0;  // the event loop's longest hold-up while recording
    std::size_t triggers = 0;       // presses of SET TIME or scheduled ticks while recording
    // Triggers a setting followed before any refusal. A press while an earlier one waits for a
    // burst joins the wait, and the setting that ends it answers both.
    std::size_t triggersSet = 0;
};

// Runs the simulator, the window on the real serial component and the chosen trigger until
// `settings` settings are recorded (or the time allowed runs out). Needs a QCoreApplication.
RunResult runScenario(const Scenario& scenario, const RunConfig& config);

}  // namespace quorvane::bench
