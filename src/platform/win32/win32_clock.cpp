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

// The precise calls came with Windows 10; looked up, so the program still starts without them.
using GetPrecise = BOOL(WINAPI*)(PDWORD64, PDWORD64, PBOOL);
using SetPrecise = BOOL(WINAPI*)(DWORD64, BOOL);

template <typename Call>
Call kernelCall(const char* name) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel == nullptr
               ? nullptr
               : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

struct PreciseCalls {
    GetPrecise get = kernelCall<GetPrecise>("GetSystemTimeAdjustmentPrecise");
    SetPrecise set = kernelCall<SetPrecise>("SetSystemTimeAdjustmentPrecise");
    bool present() const { return get != nullptr && set != nullptr; }
};

const PreciseCalls& precise() {
    static const PreciseCalls calls;
    return calls;
}

std::uint32_t timeAdjustment(std::uint64_t& adjustment, std::uint64_t& increment, bool& disabled) {
    BOOL off = TRUE;
    if (precise().present()) {
        DWORD64 value = 0, tick = 0;
        if (!precise().get(&value, &tick, &off)) {
            return GetLastError();
        }
        adjustment = value;
        increment = tick;
    } else {
        DWORD value = 0, tick = 0;
        if (!GetSystemTimeAdjustment(&value, &tick, &off)) {
            return GetLastError();
        }
        adjustment = value;
        increment = tick;
    }
    disabled = off != FALSE;
    return 0;
}

std::uint32_t setTimeAdjustment(std::uint64_t adjustment, bool disabled) {
    const BOOL off = disabled ? TRUE : FALSE;
    if (precise().present()) {
        return precise().set(adjustment, off) ? 0 : GetLastError();
    }
    return SetSystemTimeAdjustment(static_cast<DWORD>(adjustment), off) ? 0 : GetLastError();
}

bool timeServiceRunning() {
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return false;
    }
    bool running = false;
    if (const SC_HANDLE service = OpenServiceW(manager, L"W32Time", SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS status{};
        running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return running;
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
    return {enablePrivilege, setSystemTime, timeAdjustment, setTimeAdjustment, timeServiceRunning};
}

Win32Clock::Win32Clock(ClockSetterCalls calls, std::wstring rateLockName)
    : calls_(std::move(calls)), rateLockName_(std::move(rateLockName)) {}

Win32Clock::~Win32Clock() {
    if (rateLock_ != nullptr) {
        ReleaseMutex(rateLock_);
        CloseHandle(rateLock_);
    }
}

bool Win32Clock::holdRateLock() {
    if (rateLock_ != nullptr) {
        return true;
    }
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, rateLockName_.c_str());
    if (mutex == nullptr) {
        return false;
    }
    const DWORD got = WaitForSingleObject(mutex, 0);
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    rateLock_ = mutex;
    return true;
}

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
    if (!calls_.timeAdjustment || !calls_.setTimeAdjustment) {
        return SystemClock::setFrequencyPpm(ppm);
    }
    if (!std::isfinite(ppm)) {
        return {ClockSetOutcome::Failed, "the rate to set is not a number"};
    }
    if (const std::uint32_t error = calls_.enableSystemTimePrivilege(); error != 0) {
        return refused(error);
    }
    std::uint64_t inForce = 0, increment = 0;
    bool disabled = true;
    if (const std::uint32_t error = calls_.timeAdjustment(inForce, increment, disabled);
        error != 0) {
        return refused(error);
    }
    const double trim = std::clamp(ppm, -kLargestFrequencyPpm, kLargestFrequencyPpm);
    const auto adjustment = static_cast<std::uint64_t>(
        std::llround(static_cast<double>(increment) * (1.0 + trim * 1e-6)));
    if (const std::uint32_t error = calls_.setTimeAdjustment(adjustment, trim == 0); error != 0) {
        return refused(error);
    }
    return {ClockSetOutcome::Set, ""};
}

ClockDiscipline Win32Clock::discipline() {
    if (!calls_.timeAdjustment) {
        return {};
    }
    ClockDiscipline state;
    state.known = true;
    state.unsynchronised = !(calls_.timeServiceRunning && calls_.timeServiceRunning());
    std::uint64_t adjustment = 0, increment = 0;
    bool disabled = true;
    if (calls_.timeAdjustment(adjustment, increment, disabled) == 0 && !disabled && increment > 0) {
        state.frequencyPpm =
            (static_cast<double>(adjustment) / static_cast<double>(increment) - 1) * 1e6;
    }
    return state;
}

}  // namespace quorvane
