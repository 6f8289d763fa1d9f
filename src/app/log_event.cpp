#include <cmath>
#include <cstdio>

#include "app/form1.h"
#include "clock/clock_notices.h"

namespace quorvane {

DateTime Form1::utcNow() {
    const auto biasMs = std::llround(static_cast<double>(GetTimeZoneBias()) * 3'600'000.0);
    return addMilliseconds(clock_.localNow(), biasMs);
}

void Form1::logEvent(const std::string& text) {
    const DateTime t = utcNow();
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    // One event, one line, whatever paragraphs its text has.
    log_.append(stamp + oneLine(text));
}

}  // namespace quorvane
