#include "platform/date_time.h"

#include <cstdio>

namespace quorvane {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValid(const DateTime& v) {
    return v.year >= 1 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
           v.day <= daysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 &&
           v.minute >= 0 && v.minute <= 59 && v.second >= 0 && v.second <= 59 &&
           v.millisecond >= 0 && v.millisecond <= 999;
}

// Howard Hinnant's days_from_civil / civil_from_days algorithms.
std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

}  // namespace

std::int64_t toEpochMilliseconds(const DateTime& v) {
    const std::int64_t days = daysFromCivil(v.year, v.month, v.day);
    return days * kMsPerDay + ((v.hour * 60LL + v.minute) * 60LL + v.second) * 1000LL +
           v.millisecond;
}

DateTime fromEpochMilliseconds(std::int64_t ms) {
    const std::int64_t days = floorDiv(ms, kMsPerDay);
    std::int64_t rest = ms - days * kMsPerDay;

    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);

    DateTime out;
    out.year = static_cast<int>(y);
    out.month = static_cast<int>(m);
    out.day = static_cast<int>(d);
    out.hour = static_cast<int>(rest / 3'600'000);
    rest %= 3'600'000;
    out.minute = static_cast<int>(rest / 60'000);
    rest %= 60'000;
    out.second = static_cast<int>(rest / 1000);
    out.millisecond = static_cast<int>(rest % 1000);
    return out;
}

DateTime addMilliseconds(const DateTime& value, std::int64_t milliseconds) {
    return fromEpochMilliseconds(toEpochMilliseconds(value) + milliseconds);
}

std::string toIsoText(const DateTime& v) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", v.year, v.month, v.day,
                  v.hour, v.minute, v.second, v.millisecond);
    return text;
}

}  // namespace quorvane
