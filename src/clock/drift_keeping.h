#pragma once

#include "app/form1.h"

namespace quorvane {

// Seconds on the monotonic clock, the engine's time scale.
double monoSeconds(MonoTime t);
// Begins keeping afresh from the drift known, unless another program keeps the clock.
void startKeeping(Form1& f, bool userAsked);
// Asks the system for a trim; a refusal stops keeping and is told: in a box when the user just
// asked, else in a notification.
void applyKeepingTrim(Form1& f, double ppm, bool userAsked);
// The rate the system has in force now (0 where it does not tell).
double rateInForce(Form1& f);
// Stops steering: the drift's compensation alone is left in force, or, with no drift known, the
// rate found before the first trim. Nothing when the rate in force is not this program's.
void letGoOfRate(Form1& f, const std::string& why);
// True while another program disciplines the clock; the first time, keeping lets go and says so.
bool otherProgramKeepsClock(Form1& f);
// The menu item's tooltip and, while the option is on, the tray's second line.
void showKeepingState(Form1& f);

}  // namespace quorvane
