#pragma once

#include <cstdint>
#include <optional>

#include "app/form1.h"

namespace quorvane {

// The fix's UTC date and time, taken by meaning; nullopt unless the six fields are two digits
// each and form a real date and time. Years 80 to 99 are 1980 to 1999.
std::optional<DateTime> fixDateTime(const FixFields& fields);

// The instant a fix names, its fraction included, in ms since 1970; nullopt when its fields form
// no date and time.
std::optional<std::int64_t> namedInstantMs(const ClockFix& fix);

// The computer's UTC, in ms since 1970, at a monotonic instant gone by: now, less the time since.
// What the clock read when a burst's first byte came in.
double utcMsAt(Form1& form, MonoTime then);

}  // namespace quorvane
