#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_clock.h"
#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

// Stands in for the privilege step and the time adjustment: the real rate is never changed.
struct RecordingRate {
    std::vector<std::string> calls;
    DWORD privilegeAnswer = ERROR_SUCCESS;
    DWORD setAnswer = ERROR_SUCCESS;
    std::uint64_t adjustment = 156'250;
    bool disabled = true, serviceRunning = false;

    ClockSetterCalls seam() {
        ClockSetterCalls seam;
        seam.enableSystemTimePrivilege = [this] {
            calls.push_back("privilege");
            return privilegeAnswer;
        };
        seam.setSystemTime = [](const SYSTEMTIME&) { return DWORD{ERROR_INVALID_FUNCTION}; };
        seam.timeAdjustment = [this](std::uint64_t& inForce, std::uint64_t& increment, bool& off) {
            inForce = adjustment;
            increment = 156'250;  // 15.625 ms in 100 ns units
            off = disabled;
            return std::uint32_t{0};
        };
        seam.timeServiceRunning = [this] { return serviceRunning; };
        seam.setTimeAdjustment = [this](std::uint32_t adjustment, bool disabled) {
            calls.push_back(std::to_string(adjustment) + (disabled ? " disabled" : ""));
            return setAnswer;
        };
        return seam;
    }
};

TEST(Win32ClockRate, ScalesEachTicksIncrementByTheTrimAndRefusesWithoutThePrivilege) {
    RecordingRate rate;
    Win32Clock clock(rate.seam());
    const std::pair<double, const char*> cases[] = {
        {64, "156260"},          // +64 ppm: 10 more units per tick
        {-64, "156240"},         // slower by as much
        {900, "156328"},         // held at 500 ppm
        {0, "156250 disabled"},  // the system's own rate back
    };
    for (const auto& [ppm, handed] : cases) {
        rate.calls.clear();
        EXPECT_EQ(clock.setFrequencyPpm(ppm).outcome, ClockSetOutcome::Set) << ppm;
        EXPECT_EQ(rate.calls, (std::vector<std::string>{"privilege", handed})) << ppm;
    }

    rate.calls.clear();
    rate.privilegeAnswer = ERROR_NOT_ALL_ASSIGNED;
    const ClockSetResult refused = clock.setFrequencyPpm(10);
    EXPECT_EQ(refused.outcome, ClockSetOutcome::NotPermitted);
    EXPECT_NE(refused.detail.find("administrator"), std::string::npos) << refused.detail;
    EXPECT_EQ(rate.calls, std::vector<std::string>{"privilege"});

    // The Windows Time service running means another program keeps the clock; the trim in
    // force is read back from the adjustment.
    struct Case {
        bool serviceRunning, disabled;
        std::uint64_t adjustment;
        bool unsynchronised;
        double frequencyPpm;
    };
    const Case states[] = {{false, true, 156'260, true, 0},
                           {false, false, 156'260, true, 64},
                           {true, false, 156'240, false, -64}};
    for (const Case& c : states) {
        rate.serviceRunning = c.serviceRunning;
        rate.disabled = c.disabled;
        rate.adjustment = c.adjustment;
        const ClockDiscipline state = clock.discipline();
        EXPECT_TRUE(state.known);
        EXPECT_FALSE(state.pll);
        EXPECT_EQ(state.unsynchronised, c.unsynchronised) << c.serviceRunning;
        EXPECT_NEAR(state.frequencyPpm, c.frequencyPpm, 1e-9) << c.adjustment;
    }
}

TEST(Win32ClockRate, OneCopyHoldsTheRateLockAndACopyThatEndedHoldsNothing) {
    const std::wstring name =
        L"Local\\QuorvaneKeepingTimeTest" + std::to_wstring(GetCurrentProcessId());
    // A mutex is owned by a thread: threads stand in for the other copies. This one ends holding
    // it, as a crashed copy would.
    Win32Clock* crashed = nullptr;
    std::thread([&] {
        crashed = new Win32Clock(ClockSetterCalls{}, name);
        EXPECT_TRUE(crashed->holdRateLock());
    }).join();
    Win32Clock clock(ClockSetterCalls{}, name);
    EXPECT_TRUE(clock.holdRateLock());
    EXPECT_TRUE(clock.holdRateLock());  // held, and kept
    bool otherHeld = true;
    std::thread([&] {
        Win32Clock other(ClockSetterCalls{}, name);
        otherHeld = other.holdRateLock();
    }).join();
    EXPECT_FALSE(otherHeld);
    delete crashed;
}

}  // namespace
}  // namespace quorvane::testing
