#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/form1.h"

namespace quorvane::nmea {

// Shown in TimeGPS when the six fields do not form a real date and time: empty fields from a
// receiver without a fix, a month 00, a truncated field.
inline constexpr const char* kNoValidFixTime = "No valid fix time";

// Characters 1-2, 3-4 and 5-6 of the time (hhmmss) and date (ddmmyy) fields, uncut beyond.
FixFields cutFixFields(std::string_view timeField, std::string_view dateField);

// The fix as "d mmm yy  HhNn:Ss", years 2000 + yy, or kNoValidFixTime.
std::string fixDateTimeText(const FixFields& fields);

// Milliseconds of the fraction of a second the time field carries (".5" 500, ".123456" 123).
int fractionMilliseconds(std::string_view timeField);

// The fix-time steps shared by the time-carrying sentences: FixTime, TimeGPS, one off
// FixStaleCount, the balloon title, and the fix the clock may use when the line's checksum
// allows it.
void takeFixTime(Form1& form, std::string_view sentence, std::string_view timeField,
                 std::string_view dateField, const char* balloonTitle);

// What a fix-quality report does to FixStaleCount: "0" (no fix) starts the count again at 10,
// "1" lowers it by 2, a differential code by 3, any other text (exactly compared) leaves it.
void applyFixReport(std::int16_t& fixStaleCount, std::string_view report,
                    std::initializer_list<std::string_view> differentialCodes);

}  // namespace quorvane::nmea
