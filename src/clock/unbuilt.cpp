// Scaffolding: replaced by the clock room's real files, then deleted.
#include "app/form1.h"

namespace quorvane {
void Form1::Timer1_Timer() {}
void Form1::SetComputerClock_Click() {}
float Form1::GetTimeZoneBias() { return 0; }
void Form1::ScheduleNextUpdate() {}
}  // namespace quorvane
