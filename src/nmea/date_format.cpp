#include "nmea/date_format.h"

#include <cstdio>

namespace quorvane {

std::string formatDisplayDateTime(const DateTime& v) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = v.month >= 1 && v.month <= 12 ? kMonths[v.month - 1] : "???";
    char text[48];
    std::snprintf(text, sizeof text, "%d %s %02d  %02d%02d:%02d", v.day, month,
                  ((v.year % 100) + 100) % 100, v.hour, v.minute, v.second);
    return text;
}

}  // namespace quorvane
