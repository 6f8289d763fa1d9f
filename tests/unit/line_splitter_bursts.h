// Bursts as receivers send them, for the line splitter's tests.
#pragma once

#include <chrono>
#include <string>

#include "platform/line_splitter.h"

namespace quorvane::testing {

inline const MonoTime kSplitterStart = MonoTime{} + std::chrono::hours(5);

// A receiver's full set at 4800 baud: GGA, GSA, three GSV, RMC, PGRMZ, PGRMF.
inline std::string fullSet() {
    std::string burst;
    for (const std::size_t length : {69, 57, 70, 70, 31, 68, 20, 77}) {
        burst += "$" + std::string(length - 3, 'X') + "\r\n";
    }
    return burst;
}

}  // namespace quorvane::testing
