#pragma once

#include <string>

#include "keeping/keeping_engine.h"

namespace quorvane {

// "+23.4 ppm".
std::string ppmText(double ppm);
// "gains 23.4 ppm", "loses 5.0 ppm": what a drift means.
std::string driftText(double driftPpm);
// "0.4 ms" for an offset's size.
std::string withinText(double offsetMs);
// What the menu item and the tray tell of the state: "Keeping time: within 0.4 ms; the clock
// gains 23.4 ppm". stopped: why keeping stopped, or "".
std::string keepingStateText(const KeepingEngine& engine, bool handsOff,
                             const std::string& stopped);
// The hourly log line: "Keeping time: offset +0.4 ms, drift +23.4 ppm, trim -23.6 ppm".
std::string keepingReportText(const KeepingEngine& engine);
// The log line for what the engine has found; "" for nothing worth a line.
std::string keepingEventText(const KeepingAction& action, const KeepingEngine& engine);

}  // namespace quorvane
