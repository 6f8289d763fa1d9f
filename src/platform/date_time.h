#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// A civil date and time of day, with no zone attached; the caller knows whether it is local
// time or UTC.
struct DateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// True when every field is in range for a real calendar date and time of day.
bool isValid(const DateTime& value);

// Days since 1970-01-01 in the proleptic Gregorian calendar, and back.
std::int64_t daysFromCivil(int year, int month, int day);
// Milliseconds since 1970-01-01 00:00:00.000 of the same zone.
std::int64_t toEpochMilliseconds(const DateTime& value);
DateTime fromEpochMilliseconds(std::int64_t milliseconds);
DateTime addMilliseconds(const DateTime& value, std::int64_t milliseconds);

// "2026-12-06 04:36:36.250", for messages and test failures.
std::string toIsoText(const DateTime& value);

}  // namespace quorvane
