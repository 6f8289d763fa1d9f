#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/form1.h"

namespace quorvane {

void Form1::ScheduleNextUpdate() {
    random_.reseed();
    // The factor 59 keeps minute 59 out: the latest time drawn is 2358.
    const int hour = std::min(static_cast<int>(std::floor(random_.next() * 24.0)), 23);
    const int minute = std::min(static_cast<int>(std::floor(random_.next() * 59.0)), 58);
    NextUpdateHhmm = static_cast<std::int16_t>(hour * 100 + minute);

    char caption[8];
    std::snprintf(caption, sizeof caption, "%04d", NextUpdateHhmm);
    NextGPSUpdate.setCaption(caption);
    NextGPSUpdate.setToolTip(kNextUpdateTip);
    Label5.setToolTip(kNextUpdateTip);
}

}  // namespace quorvane
