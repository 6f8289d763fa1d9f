#pragma once

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

namespace nmeasim {

// Set by SIGINT, SIGTERM or SIGHUP; every wait below ends early when it is.
extern volatile std::sig_atomic_t stopRequested;
void stopOnSignals();

// Now on the system's real-time clock, in nanoseconds since 1970.
std::int64_t wallNanoseconds();
// Sleeps until a real-time instant; false when a stop was asked for.
bool sleepUntil(std::int64_t wallNs);
// Writes the lines starting at startNs, each when a line running at baud (ten bits a byte)
// would have finished the bytes before it. Bytes nobody makes room for are dropped, as on a
// real line. False when a stop was asked for.
bool sendPaced(int fd, const std::vector<std::string>& lines, std::int64_t startNs, int baud);

}  // namespace nmeasim
