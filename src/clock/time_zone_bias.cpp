#include "app/form1.h"

namespace quorvane {

float Form1::GetTimeZoneBias() {
    const TimeZoneInformation zone = clock_.timeZoneInformation();
    std::int32_t minutes = 0;
    switch (zone.status) {
        case TIME_ZONE_ID_UNKNOWN:
        case TIME_ZONE_ID_STANDARD:
            minutes = zone.Bias + zone.StandardBias;
            break;
        case TIME_ZONE_ID_DAYLIGHT:
            minutes = zone.Bias + zone.DaylightBias;
            break;
        default:
            // An unreadable zone counts as UTC.
            return 0.0f;
    }
    return static_cast<float>(minutes) / 60.0f;
}

}  // namespace quorvane
