#pragma once

#include <optional>

#include "app/form1.h"

namespace quorvane {

// The fix's UTC date and time, taken by meaning; nullopt unless the six fields are two digits
// each and form a real date and time. Years 80 to 99 are 1980 to 1999.
std::optional<DateTime> fixDateTime(const FixFields& fields);

}  // namespace quorvane
