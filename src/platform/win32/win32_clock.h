#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/system_clock.h"

// The system's own type, declared here so that <windows.h> and its macros stay out of the
// headers that include this one.
struct _SYSTEMTIME;

namespace quorvane {

// The two steps that set the clock, replaceable so that tests see what would be handed to the
// system without the clock ever being set.
struct ClockSetterCalls {
    // Enables the system-time privilege on this process's token: 0, or the system's error code
    // (ERROR_NOT_ALL_ASSIGNED when the account does not hold the privilege at all).
    std::function<std::uint32_t()> enableSystemTimePrivilege;
    // SetSystemTime: 0, or the system's error code.
    std::function<std::uint32_t(const _SYSTEMTIME& utc)> setSystemTime;
    // GetSystemTimeAdjustment[Precise]: 0 and the adjustment, the time increment and whether
    // the adjustment is off, or the error code. Left empty (as a seam that only sets the clock
    // leaves them), the rate is not trimmed.
    std::function<std::uint32_t(std::uint64_t& adjustment, std::uint64_t& increment,
                                bool& disabled)>
        timeAdjustment{};
    // SetSystemTimeAdjustment[Precise], in the same units: 0, or the system's error code.
    // disabled: the system's own rate.
    std::function<std::uint32_t(std::uint64_t adjustment, bool disabled)> setTimeAdjustment{};
    // Whether the Windows Time service runs, which would steer the clock itself.
    std::function<bool()> timeServiceRunning{};
};

// AdjustTokenPrivileges, SetSystemTime and the time adjustment themselves.
ClockSetterCalls systemClockSetterCalls();

// The computer's clock and time zone through the Windows API.
class Win32Clock : public SystemClock {
public:
    // rateLockName: the named mutex, for all sessions, that one copy holds while keeping time.
    explicit Win32Clock(ClockSetterCalls calls = systemClockSetterCalls(),
                        std::wstring rateLockName = L"Global\\QuorvaneKeepingTime");
    ~Win32Clock() override;
    Win32Clock(const Win32Clock&) = delete;
    Win32Clock& operator=(const Win32Clock&) = delete;

    // GetLocalTime, to the millisecond.
    DateTime localNow() override;
    MonoTime monotonicNow() override;
    // GetTimeZoneInformation; its status is passed on unchanged, failure included.
    TimeZoneInformation timeZoneInformation() override;
    // Enables the system-time privilege, then one SetSystemTime. Without the privilege
    // (a process not run as administrator): NotPermitted.
    ClockSetResult setUtc(const DateTime& utc) override;
    // The clock's rate through the time adjustment (the precise one where the system has it,
    // finer than the 6.4 ppm steps of the other): each tick adds its increment scaled by the
    // trim; 0 gives the system its own rate back. Needs the same privilege as setUtc.
    ClockSetResult setFrequencyPpm(double ppm) override;
    // The Windows Time service running counts as another program keeping the clock; the trim
    // in force is read from the time adjustment.
    ClockDiscipline discipline() override;
    // Owns the named mutex; Windows frees the mutex of a process that ended (abandoned), so a
    // crashed copy holds nothing. Call from one thread: a mutex is owned by a thread.
    bool holdRateLock() override;

private:
    ClockSetterCalls calls_;
    std::wstring rateLockName_;
    void* rateLock_ = nullptr;  // the mutex's handle, once owned
};

}  // namespace quorvane
