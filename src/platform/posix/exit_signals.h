#pragma once

#include <string>

namespace quorvane {

// SIGTERM, SIGINT and SIGHUP end the program through its own exit sequence, which lets go of the
// clock's rate. Their handler only writes the signal's number to a pipe; the event loop watches
// its read end and runs the sequence on the window's thread. Returns the read end, or -1 when no
// pipe could be made (the signals then end the program as they always do).
int watchExitSignals();
// The name of a signal that arrived ("SIGTERM"), taken from the pipe; "" when none is waiting.
std::string takeExitSignal(int readEnd);

}  // namespace quorvane
