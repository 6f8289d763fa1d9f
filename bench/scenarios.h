#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane::bench {

// What sets the clock during a scenario.
enum class Trigger {
    BeforeNextBurst,  // "SET TIME" once a second, 10 ms before the next burst is due
    RandomMoment,     // "SET TIME" once a second, at a moment drawn at random within it
    ScheduledMinute,  // the status timer's tick, each made the arrival of the scheduled minute
};

struct Target {
    double medianMs;  // |median error| at most this
    double worstMs;   // every |error| at most this
};

struct Scenario {
    std::string key;                      // for --only
    std::string title;                    // the table's row
    std::vector<std::string> simOptions;  // beyond --baud and --delay-ms
    int baud = 4800;
    int delayMs = 0;     // the simulator's burst delay after the time it reports
    int fractionMs = 0;  // the fraction of a second the time field reports
    Trigger trigger = Trigger::BeforeNextBurst;
    std::optional<Target> target;
    // Settings before and after the program's own "Measure Now", judged against true time.
    bool measureDelay = false;
    // False where no rest marks a burst's start, so every stamp is late by design.
    bool lineRests = true;
};

// The --only key that stands for every scenario that measures the receiver delay.
inline constexpr const char* kReceiverDelayGroup = "receiver-delay";

std::vector<Scenario> allScenarios();
const char* triggerText(Trigger trigger);

}  // namespace quorvane::bench
