#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

// The command that grants the clock right names the executable that runs, renamed or not,
// not a name guessed from its folder.
TEST(GrantCommand, NamesTheRunningExecutable) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows grants the right by running as administrator";
#else
    FormFixture f;
    f.load();
    f.form.EarliestFixDate = DateTime{2020, 1, 1};
    f.form.TimeValid.setFillColor(LampGreen);
    f.form.LastClockFix = ClockFix{{"12", "00", "00", "07", "12", "26"}, 0, f.clock.mono};
    f.clock.result = {ClockSetOutcome::NotPermitted, "Operation not permitted"};
    f.files.executable = "/usr/local/bin/gps-clock";
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_NE(
        f.desktop.messages[0].text.find("\nsudo setcap cap_sys_time=ep /usr/local/bin/gps-clock\n"),
        std::string::npos)
        << f.desktop.messages[0].text;
    // A copy that gave the right up because others may run it needs its mode mended, not a
    // new grant: setcap would not help.
    f.form.ClockRightWithdrawn = true;
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.desktop.messages.size(), 2u);
    EXPECT_NE(f.desktop.messages[1].text.find("chmod 750 /usr/local/bin/gps-clock"),
              std::string::npos);
    EXPECT_EQ(f.desktop.messages[1].text.find("setcap"), std::string::npos);
#endif
}

}  // namespace
}  // namespace quorvane::testing
