#include "platform/win32/win32_clock.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/win32/wide_text.h"

// After the program's own headers: its macros would rename their constants.
#include <windows.h>

namespace quorvane {

namespace {

// The earliest and latest years SYSTEMTIME holds.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;
// The same bound as the other systems keep.
constexpr double kLargestFrequencyPpm = 500;

std::uint32_t enablePrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return GetLastError();
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // AdjustTokenPrivileges succeeds even when the token lacks the privilege, and then says so
    // through ERROR_NOT_ALL_ASSIGNED; so the last error decides either way.
    SetLastError(ERROR_SUCCESS);
    if (LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    const DWORD error = GetLastError();
    CloseHandle(token);
    return error;
}

std::uint32_t setSystemTime(const SYSTEMTIME& utc) {
    return SetSystemTime(&utc) ? 0 : GetLastError();
}

std::uint32_t timeIncrement(std::uint32_t& increment) {
    DWORD adjustment = 0, tick = 0;
    BOOL disabled = TRUE;
    if (!GetSystemTimeAdjustment(&adjustment, &tick, &disabled)) {
        return GetLastError();
    }
    increment = tick;
    return 0;
}

std::uint32_t setTimeAdjustment(std::uint32_t adjustment, bool disabled) {
    return SetSystemTimeAdjustment(adjustment, disabled ? TRUE : FALSE) ? 0 : GetLastError();
}

bool isRefusal(std::uint32_t error) {
    return error == ERROR_NOT_ALL_ASSIGNED || error == ERROR_PRIVILEGE_NOT_HELD ||
           error == ERROR_ACCESS_DENIED;
}

ClockSetResult refused(std::uint32_t error) {
    if (isRefusal(error)) {
        return {ClockSetOutcome::NotPermitted,
                "run Quorvane as administrator to set the clock; Windows said: " +
                    systemMessage(error)};
    }
    return {ClockSetOutcome::Failed, systemMessage(error)};
}

}  // namespace

ClockSetterCalls systemClockSetterCalls() {
    return {enablePrivilege, setSystemTime, timeIncrement, setTimeAdjustment};
}

Win32Clock::Win32Clock(ClockSetterCalls calls) : calls_(std::move(calls)) {}

DateTime Win32Clock::localNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return DateTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                    now.wMinute, now.wSecond, now.wMilliseconds};
}

MonoTime Win32Clock::monotonicNow() {
    return MonoClock::now();
}

TimeZoneInformation Win32Clock::timeZoneInformation() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD status = GetTimeZoneInformation(&zone);
    return TimeZoneInformation{status, static_cast<std::int32_t>(zone.Bias),
                               static_cast<std::int32_t>(zone.StandardBias),
                               static_cast<std::int32_t>(zone.DaylightBias)};
}

ClockSetResult Win32Clock::setUtc(const DateTime& utc) {
    if (!isValid(utc) || utc.year < kFirstYear || utc.year > kLastYear) {
        return {ClockSetOutcome::Failed, "the time to set is not a valid date and time"};
    }
    SYSTEMTIME value{};
    value.wYear = static_cast<WORD>(utc.year);
    value.wMonth = static_cast<WORD>(utc.month);
    value.wDay = static_cast<WORD>(utc.day);
    value.wHour = static_cast<WORD>(utc.hour);
    value.wMinute = static_cast<WORD>(utc.minute);
    value.wSecond = static_cast<WORD>(utc.second);
    value.wMilliseconds = static_cast<WORD>(utc.millisecond);
    // Days since 1970-01-01, a Thursday; SetSystemTime ignores the field, but it is then right.
    value.wDayOfWeek =
        static_cast<WORD>((daysFromCivil(utc.year, utc.month, utc.day) % 7 + 11) % 7);

    if (const std::uint32_t error = calls_.enableSystemTimePrivilege(); error != 0) {
        return refused(error);
    }
    if (const std::uint32_t error = calls_.setSystemTime(value); error != 0) {
        return refused(error);
    }
    return {ClockSetOutcome::Set, ""};
}

ClockSetResult Win32Clock::setFrequencyPpm(double ppm) {
    if (!calls_.timeIncrement || !calls_.setTimeAdjustment) {
        return SystemClock::setFrequencyPpm(ppm);
    }
    if (!std::isfinite(ppm)) {
        return {ClockSetOutcome::Failed, "the rate to set is not a number"};
    }
    if (const std::uint32_t error = calls_.enableSystemTimePrivilege(); error != 0) {
        return refused(error);
    }
    std::uint32_t increment = 0;
    if (const std::uint32_t error = calls_.timeIncrement(increment); error != 0) {
        return refused(error);
    }
    const double trim = std::clamp(ppm, -kLargestFrequencyPpm, kLargestFrequencyPpm);
    const auto adjustment =
        static_cast<std::uint32_t>(std::llround(increment * (1.0 + trim * 1e-6)));
    if (const std::uint32_t error = calls_.setTimeAdjustment(adjustment, trim == 0); error != 0) {
        return refused(error);
    }
    return {ClockSetOutcome::Set, ""};
}

}  // namespace quorvane
