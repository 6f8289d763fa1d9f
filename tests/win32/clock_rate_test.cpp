#include <gtest/gtest.h>

#include <string>
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

    ClockSetterCalls seam() {
        ClockSetterCalls seam;
        seam.enableSystemTimePrivilege = [this] {
            calls.push_back("privilege");
            return privilegeAnswer;
        };
        seam.setSystemTime = [](const SYSTEMTIME&) { return DWORD{ERROR_INVALID_FUNCTION}; };
        seam.timeIncrement = [](std::uint32_t& increment) {
            increment = 156'250;  // 15.625 ms in 100 ns units
            return std::uint32_t{0};
        };
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
}

}  // namespace
}  // namespace quorvane::testing
