#pragma once

#include <cstdint>
#include <limits>

namespace quorvane {

// The staleness counters are 16-bit. A receiver flooding the line between two ticks must not
// wrap them round to a large positive value (which would read as "no data"), so changes
// saturate at the type's limits; the status timer clamps them into 0..10 each second.
inline void addToCount(std::int16_t& count, int delta) {
    const int value = count + delta;
    if (value > std::numeric_limits<std::int16_t>::max()) {
        count = std::numeric_limits<std::int16_t>::max();
    } else if (value < std::numeric_limits<std::int16_t>::min()) {
        count = std::numeric_limits<std::int16_t>::min();
    } else {
        count = static_cast<std::int16_t>(value);
    }
}

}  // namespace quorvane
