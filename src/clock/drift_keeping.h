#pragma once

#include "app/form1.h"

namespace quorvane {

// Seconds on the monotonic clock, the engine's time scale.
double monoSeconds(MonoTime t);
// The option is on and keeping steers: nothing stopped it, nobody else keeps the clock.
bool keepingRuns(const Form1& f);
// The clock's offset the keeping holds now, when it runs and knows it soundly; settings take
// their value from it.
std::optional<double> keptOffsetMs(Form1& f, MonoTime now);
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
// Keeping lets go (of the rate too, unless another program steers it), says so once for each
// reason, and looks again after the back-off: 10 minutes, doubling up to a day.
void standAside(Form1& f, KeepingAsideFor why);
// Every tick while the option is on: looks again when due; an hour left alone after a look
// starts the back-off over.
void lookAgainWhenDue(Form1& f, MonoTime now);
// The rate in force is not the one the program set.
bool rateSteeredElsewhere(Form1& f);
// The engine found the clock moved; true when that answered the program's own setting twice in
// a row.
bool movedAwayAgain(Form1& f, KeepingEvent event, MonoTime now);
// The menu item's tooltip and, while the option is on, the tray's second line.
void showKeepingState(Form1& f);

}  // namespace quorvane
