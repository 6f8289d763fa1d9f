#pragma once

#include <string>

#include "app/form1.h"

namespace quorvane {

// What the user is told when the clock was not set. Each ends by saying the clock is unchanged.

// No fix with a sound checksum arrived recently enough to set the clock from.
std::string noRecentFixMessage(int limitSeconds);
// The six fix fields do not form a real date and time.
std::string invalidFixMessage(const FixFields& fields);
// The fix is dated before the program was built: the receiver does not know the date yet.
std::string earlyFixMessage(const DateTime& fix, const DateTime& earliest);
// The process lacks the right to set the clock; says how to grant it. executable is the full
// path of the program, for the command the user is given.
std::string notPermittedMessage(const std::string& executable, const std::string& detail);
// Any other refusal, with the system's reason.
std::string clockFailedMessage(const std::string& detail);

}  // namespace quorvane
