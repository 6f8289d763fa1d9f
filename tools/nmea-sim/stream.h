#pragma once

#include <csignal>
#include <cstdint>
#include <string>

namespace nmeasim {

// Set by SIGINT, SIGTERM or SIGHUP; every wait below ends early when it is.
extern volatile std::sig_atomic_t stopRequested;
void stopOnSignals();

// Now on the system's real-time clock, in nanoseconds since 1970.
std::int64_t wallNanoseconds();
// Sleeps until a real-time instant; false when a stop was asked for.
bool sleepUntil(std::int64_t wallNs);
// Writes the bytes from startNs on, as fast as a line running at baud (ten bits a byte) would
// carry them. Bytes nobody makes room for are dropped, as on a real line. False when a stop was
// asked for.
bool sendPaced(int fd, const std::string& bytes, std::int64_t startNs, int baud);
// The same line behind an adapter that hands over what crossed it every latencyMs, on a timer
// of its own.
bool sendThroughAdapter(int fd, const std::string& bytes, std::int64_t startNs, int baud,
                        int latencyMs);
// A USB receiver: the whole burst from startNs on, `packet` bytes each millisecond.
bool sendInPackets(int fd, const std::string& bytes, std::int64_t startNs, std::size_t packet);

}  // namespace nmeasim
