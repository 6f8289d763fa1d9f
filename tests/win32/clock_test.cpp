#include "platform/win32/win32_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/fakes.h"
#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

// Stands in for the privilege step and SetSystemTime: records what it was handed, in order,
// and answers as told. The real SetSystemTime is never reached from a test.
struct RecordingSetter {
    std::vector<std::string> calls;
    std::vector<SYSTEMTIME> handed;
    DWORD privilegeAnswer = ERROR_SUCCESS;
    DWORD setAnswer = ERROR_SUCCESS;

    ClockSetterCalls seam() {
        return {[this] {
                    calls.push_back("privilege");
                    return privilegeAnswer;
                },
                [this](const SYSTEMTIME& utc) {
                    calls.push_back("set");
                    handed.push_back(utc);
                    return setAnswer;
                }};
    }
};

DateTime fields(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

TEST(Win32ClockSetting, EnablesThePrivilegeThenHandsOverTheValueOnce) {
    RecordingSetter setter;
    Win32Clock clock(setter.seam());
    const std::pair<DateTime, int> cases[] = {
        {{2026, 12, 31, 23, 59, 58, 765}, 4},  // a Thursday
        {{2028, 2, 29, 0, 0, 0, 1}, 2},        // a leap day, a Tuesday
    };
    for (const auto& [utc, dayOfWeek] : cases) {
        setter.calls.clear();
        setter.handed.clear();
        const ClockSetResult result = clock.setUtc(utc);
        EXPECT_EQ(result.outcome, ClockSetOutcome::Set) << result.detail;
        EXPECT_EQ(setter.calls, (std::vector<std::string>{"privilege", "set"}));
        ASSERT_EQ(setter.handed.size(), 1u);
        EXPECT_EQ(fields(setter.handed[0]), utc);
        EXPECT_EQ(setter.handed[0].wDayOfWeek, dayOfWeek);
    }

    // Not a real date and time, or beyond what the system's clock holds: nothing is asked.
    setter.calls.clear();
    for (const DateTime& bad :
         {DateTime{2026, 2, 29, 12, 0, 0, 0}, DateTime{2026, 1, 1, 24, 0, 0, 0},
          DateTime{1600, 12, 31, 0, 0, 0, 0}}) {
        EXPECT_EQ(clock.setUtc(bad).outcome, ClockSetOutcome::Failed) << toIsoText(bad);
    }
    EXPECT_TRUE(setter.calls.empty());
}

TEST(Win32ClockSetting, WithoutThePrivilegeItIsNotPermittedAndSaysToRunAsAdministrator) {
    RecordingSetter setter;
    Win32Clock clock(setter.seam());
    const DateTime utc{2026, 12, 7, 12, 0, 0, 0};

    // The account does not hold the privilege: the clock is not even asked.
    setter.privilegeAnswer = ERROR_NOT_ALL_ASSIGNED;
    ClockSetResult result = clock.setUtc(utc);
    EXPECT_EQ(result.outcome, ClockSetOutcome::NotPermitted);
    EXPECT_NE(result.detail.find("administrator"), std::string::npos) << result.detail;
    EXPECT_EQ(setter.calls, std::vector<std::string>{"privilege"});

    // The system refuses the setting itself for want of the privilege.
    setter.calls.clear();
    setter.privilegeAnswer = ERROR_SUCCESS;
    setter.setAnswer = ERROR_PRIVILEGE_NOT_HELD;
    result = clock.setUtc(utc);
    EXPECT_EQ(result.outcome, ClockSetOutcome::NotPermitted);
    EXPECT_NE(result.detail.find("administrator"), std::string::npos) << result.detail;
    EXPECT_EQ(setter.calls, (std::vector<std::string>{"privilege", "set"}));
}

TEST(Win32ClockSetting, OtherRefusalsFailWithTheSystemsOwnWords) {
    RecordingSetter setter;
    Win32Clock clock(setter.seam());
    setter.setAnswer = ERROR_INVALID_PARAMETER;
    ClockSetResult result = clock.setUtc({2026, 12, 7, 12, 0, 0, 0});
    EXPECT_EQ(result.outcome, ClockSetOutcome::Failed);
    EXPECT_EQ(result.detail, systemMessage(ERROR_INVALID_PARAMETER));
    EXPECT_NE(result.detail.find("(error 87)"), std::string::npos) << result.detail;
    EXPECT_GT(result.detail.size(), std::string("(error 87)").size()) << "no text from the system";

    setter.calls.clear();
    setter.privilegeAnswer = ERROR_NO_TOKEN;
    result = clock.setUtc({2026, 12, 7, 12, 0, 0, 0});
    EXPECT_EQ(result.outcome, ClockSetOutcome::Failed);
    EXPECT_EQ(setter.calls, std::vector<std::string>{"privilege"});
}

// The window on the real Windows clock, with only the setting itself replaced.
struct WindowOnWin32Clock {
    explicit WindowOnWin32Clock(ClockSetterCalls calls) : clock(std::move(calls)) {
        form.Form_Load();
        desktop.messages.clear();
        random.reseeds = 0;
        form.EarliestFixDate = DateTime{2020, 1, 1};
        form.TimeValid.setFillColor(LampGreen);
    }
    FakeSerialPort serial;
    FakeTrayIcon tray;
    FakeBalloon balloon;
    Win32Clock clock;
    FakeRandom random;
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, files, desktop, log}};
};

TEST(Win32ClockSetting, SetTimeHandsOverTheFixInUtcWhateverTheZone) {
    RecordingSetter setter;
    WindowOnWin32Clock w(setter.seam());
    w.form.LastClockFix =
        ClockFix{{"23", "30", "15", "31", "12", "26"}, 250, w.clock.monotonicNow()};
    w.form.NextUpdateHhmm = 1234;
    w.form.SetComputerClock_Click();
    ASSERT_EQ(setter.handed.size(), 1u);
    EXPECT_EQ(setter.calls, (std::vector<std::string>{"privilege", "set"}));
    const DateTime set = fields(setter.handed[0]);
    // The fix and its fraction, plus the moments since the fix was taken.
    const std::int64_t late =
        toEpochMilliseconds(set) - toEpochMilliseconds(DateTime{2026, 12, 31, 23, 30, 15, 250});
    EXPECT_GE(late, 0) << toIsoText(set);
    EXPECT_LT(late, 2000) << toIsoText(set);
    EXPECT_TRUE(w.desktop.messages.empty());
    EXPECT_EQ(w.random.reseeds, 1) << "a new update time is drawn";

    // Refused: the user is told to run the program as administrator, the schedule stands.
    setter.privilegeAnswer = ERROR_NOT_ALL_ASSIGNED;
    w.form.NextUpdateHhmm = 1234;
    w.form.SetComputerClock_Click();
    ASSERT_EQ(w.desktop.messages.size(), 1u);
    const std::string& text = w.desktop.messages[0].text;
    EXPECT_NE(text.find("start Quorvane with \"Run as administrator\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"Change the system time\""), std::string::npos) << text;
    EXPECT_EQ(text.find("setcap"), std::string::npos) << text;
    EXPECT_EQ(w.form.NextUpdateHhmm, 1234);
    EXPECT_EQ(setter.handed.size(), 1u);
}

TEST(Win32ClockPrivilege, TheRealStepEnablesThePrivilegeOrSaysTheAccountLacksIt) {
    // Only the privilege step is real here: it changes this process's token, not the clock.
    const DWORD answer = systemClockSetterCalls().enableSystemTimePrivilege();
    ASSERT_TRUE(answer == ERROR_SUCCESS || answer == ERROR_NOT_ALL_ASSIGNED) << answer;
    if (answer == ERROR_NOT_ALL_ASSIGNED) {
        GTEST_SKIP() << "this account does not hold the system-time privilege";
    }
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size));
    CloseHandle(token);
    LUID systemTime{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &systemTime));
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == systemTime.LowPart && p.Luid.HighPart == systemTime.HighPart) {
            enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    EXPECT_TRUE(enabled);
}

}  // namespace
}  // namespace quorvane::testing
