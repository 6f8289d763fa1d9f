#include <gtest/gtest.h>

#include "clock/clock_messages.h"
#include "clock/clock_notices.h"
#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class ClockSetting : public ::testing::Test {
protected:
    void SetUp() override {
        f.load();
        f.form.EarliestFixDate = DateTime{2020, 1, 1};
        f.form.TimeValid.setFillColor(LampGreen);
        f.form.NextUpdateHhmm = 1234;
    }

    // A sound fix whose burst began `ago` before now.
    void giveFix(const FixFields& fields, int fractionMs = 0, milliseconds ago = {}) {
        f.form.LastClockFix = ClockFix{fields, fractionMs, f.clock.mono - ago};
    }

    // Nothing was set, no new time drawn, and the user was told once.
    void expectRefusedAndTold(const std::string& why) {
        EXPECT_TRUE(f.clock.setCalls.empty()) << why;
        EXPECT_EQ(f.random.reseeds, 0) << why;
        EXPECT_EQ(f.form.NextUpdateHhmm, 1234) << why;
        ASSERT_EQ(f.desktop.messages.size(), 1u) << why;
        EXPECT_EQ(f.desktop.messages[0].title, "Quorvane") << why;
    }

    FormFixture f;
};

using ClockSettingLog = ClockSetting;

TEST_F(ClockSetting, SetsDateAndTimeInOneCallByMeaningOfTheFields) {
    // One hour east: local is already 00:30 on New Year's Day. Date and time go over together,
    // so the date cannot come from the wrong side of midnight.
    f.clock.zone = {TIME_ZONE_ID_UNKNOWN, -60, 0, 0};
    giveFix({"23", "30", "00", "31", "12", "26"});
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2026, 12, 31, 23, 30, 0, 0}));
    EXPECT_EQ(addMilliseconds(f.clock.setCalls[0], 3'600'000), (DateTime{2027, 1, 1, 0, 30, 0}));

    // Day 06, month 05: 6 May, whatever order the computer writes dates in; daylight time in
    // force does not shift what is set either.
    f.clock.setCalls.clear();
    f.clock.zone = {TIME_ZONE_ID_DAYLIGHT, 300, 0, -60};
    f.form.EarliestFixDate = DateTime{2000, 1, 1};
    giveFix({"14", "07", "09", "06", "05", "08"});
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2008, 5, 6, 14, 7, 9, 0}));
    EXPECT_TRUE(f.desktop.messages.empty());
}

TEST_F(ClockSetting, AddsTheFractionAndTheTimeSinceTheBurstBegan) {
    giveFix({"12", "00", "59", "07", "12", "26"}, 250);
    f.clock.advance(milliseconds(1'900));
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2026, 12, 7, 12, 1, 1, 150}));

    // Ten seconds old is still usable; a millisecond more is not.
    f.clock.setCalls.clear();
    giveFix({"12", "00", "00", "07", "12", "26"}, 0, seconds(10));
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2026, 12, 7, 12, 0, 10, 0}));

    // The age goes to the nearest millisecond, not cut off short of it.
    f.clock.setCalls.clear();
    f.form.LastClockFix = ClockFix{
        {"12", "00", "00", "07", "12", "26"}, 0, f.clock.mono - std::chrono::microseconds(1'600)};
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2026, 12, 7, 12, 0, 0, 2}));

    f.clock.setCalls.clear();
    f.random.reseeds = 0;
    f.form.NextUpdateHhmm = 1234;
    giveFix({"12", "00", "00", "07", "12", "26"}, 0, seconds(10) + milliseconds(1));
    f.form.SetComputerClock_Click();
    expectRefusedAndTold("stale fix");
}

TEST_F(ClockSetting, ACorruptedNewestLineFallsBackToTheLastSoundFixWithItsOwnAge) {
    const MonoTime first = f.clock.mono;
    f.serial.deliver("$GPRMC,043636.25,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*5E\r",
                     ArrivalStamps{first, first});
    f.clock.advance(seconds(2));
    // An hour on, with a checksum that does not match (it should be 58).
    f.serial.deliver("\n$GPRMC,053636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*59\r",
                     ArrivalStamps{f.clock.mono, f.clock.mono});
    ASSERT_EQ(f.form.FixTime.FixHour, "05");
    f.clock.advance(milliseconds(500));
    f.form.TimeValid.setFillColor(LampGreen);
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], (DateTime{2026, 12, 6, 4, 36, 38, 750}));
}

TEST_F(ClockSetting, DoesNothingWithoutAGreenFixLamp) {
    giveFix({"12", "00", "00", "07", "12", "26"});
    f.form.TimeValid.setFillColor(LampRed);
    f.form.SetComputerClock_Click();
    EXPECT_TRUE(f.clock.setCalls.empty());
    EXPECT_TRUE(f.desktop.messages.empty());
    EXPECT_EQ(f.random.reseeds, 0);
    EXPECT_EQ(f.form.NextUpdateHhmm, 1234);
}

TEST_F(ClockSetting, RefusesFixesThatAreNoRealDateOrPredateTheBuild) {
    f.form.EarliestFixDate = DateTime{2026, 12, 1};
    const std::pair<FixFields, const char*> refused[] = {
        {{"12", "00", "00", "31", "02", "27"}, "31 February"},
        {{"12", "00", "00", "15", "13", "27"}, "month 13"},
        {{"24", "00", "00", "15", "01", "27"}, "hour 24"},
        {{"", "", "", "", "", ""}, "empty fields from a receiver without a fix"},
        {{"1 ", "00", "00", "15", "01", "27"}, "a space in a field"},
        {{"23", "59", "59", "30", "11", "26"}, "the day before the build"},
        {{"12", "00", "00", "06", "01", "80"}, "1980 after a cold start"},
        {{"12", "00", "00", "21", "08", "99"}, "1999 after a week rollover"},
    };
    for (const auto& [fields, why] : refused) {
        f.clearRecords();
        giveFix(fields);
        f.form.SetComputerClock_Click();
        expectRefusedAndTold(why);
    }
    EXPECT_NE(f.desktop.messages[0].text.find("1999"), std::string::npos);

    f.clearRecords();
    giveFix({"00", "00", "00", "01", "12", "26"});
    f.form.SetComputerClock_Click();
    EXPECT_EQ(f.clock.setCalls.size(), 1u) << "the build day itself is a real fix";
}

TEST_F(ClockSetting, RefusesWhenNoSoundFixArrived) {
    f.form.LastClockFix.reset();
    f.form.SetComputerClock_Click();
    expectRefusedAndTold("no fix");
    EXPECT_NE(f.desktop.messages[0].text.find("checksum"), std::string::npos);
}

TEST_F(ClockSetting, APlatformRefusalKeepsTheScheduleAndSaysHowToGrantTheRight) {
    giveFix({"12", "00", "00", "07", "12", "26"});
    f.clock.result = {ClockSetOutcome::NotPermitted, "Operation not permitted"};
    f.form.SetComputerClock_Click();
    EXPECT_EQ(f.clock.setCalls.size(), 1u);
    f.clock.setCalls.clear();
    expectRefusedAndTold("not permitted");
    const std::string& text = f.desktop.messages[0].text;
#ifdef _WIN32
    EXPECT_NE(text.find("\"Run as administrator\""), std::string::npos) << text;
#else
    EXPECT_NE(text.find("CAP_SYS_TIME"), std::string::npos) << text;
    EXPECT_NE(text.find("\nsudo setcap cap_sys_time=ep /program/quorvane\n"), std::string::npos)
        << text;

    // A folder with a space still gives a command that works when pasted.
    f.clearRecords();
    f.files.folder = "/opt/my tools";
    f.form.SetComputerClock_Click();
    EXPECT_NE(f.desktop.messages.at(0).text.find("cap_sys_time=ep '/opt/my tools/quorvane'"),
              std::string::npos);
#endif

    f.clearRecords();
    f.clock.result = {ClockSetOutcome::Failed, "Invalid argument"};
    f.form.SetComputerClock_Click();
    f.clock.setCalls.clear();
    expectRefusedAndTold("failed");
    EXPECT_NE(f.desktop.messages[0].text.find("Invalid argument"), std::string::npos);
}

TEST_F(ClockSetting, ASuccessfulSettingDrawsTheNextUpdateTime) {
    giveFix({"12", "00", "00", "07", "12", "26"});
    f.random.values = {0.5f, 0.5f};
    f.form.SetComputerClock_Click();
    EXPECT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.random.reseeds, 1);
    EXPECT_EQ(f.form.NextUpdateHhmm, 1229);
    EXPECT_EQ(f.form.NextGPSUpdate.caption(), "1229");
    EXPECT_TRUE(f.desktop.messages.empty());
}

TEST_F(ClockSettingLog, EachSettingIsLoggedWithItsCauseValueAndOffsetAndKeptAsData) {
    // The computer reads 11:59:59.408 when the fix says it is 12:00:00.250: 0.842 s slow.
    f.clock.local = DateTime{2026, 12, 7, 11, 59, 59, 408};
    giveFix({"12", "00", "00", "07", "12", "26"}, 250);
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.log.lines.size(), 1u);
    EXPECT_EQ(f.log.lines[0],
              "2026-12-07T11:59:59.408Z Clock set (button): set to 2026-12-07 12:00:00.250 UTC, "
              "the clock was 0.842 s slow, receiver delay 0 ms");
    ASSERT_TRUE(f.form.LastClockSetting);
    EXPECT_EQ(f.form.LastClockSetting->offsetMs, 842);
    EXPECT_EQ(f.form.LastClockSetting->utcSet, (DateTime{2026, 12, 7, 12, 0, 0, 250}));
    EXPECT_EQ(f.form.LastClockSetting->at, f.clock.mono);
    // The user who pressed the button sees the offset without a box.
    EXPECT_TRUE(f.desktop.messages.empty());
    ASSERT_EQ(f.balloon.shows.size(), 1u) << "no tray yet: the balloon at the button";
    EXPECT_EQ(f.balloon.shows[0].text, "Clock set: the clock was 0.842 s slow");
    EXPECT_EQ(f.balloon.shows[0].at, f.form.SetComputerClock.hWnd());

    // A clock 1.25 s ahead, an hour east of Greenwich; the timer's settings notify nobody.
    f.tray.shown = true;
    f.clock.zone = {TIME_ZONE_ID_UNKNOWN, -60, 0, 0};
    f.clock.local = DateTime{2026, 12, 7, 13, 0, 1, 250};
    giveFix({"12", "00", "00", "07", "12", "26"});
    const auto daily = f.form.setComputerClock(ClockSetCause::Daily);
    ASSERT_TRUE(daily);
    EXPECT_EQ(daily->offsetMs, -1250);
    EXPECT_EQ(f.log.lines.back(),
              "2026-12-07T12:00:01.250Z Clock set (daily): set to 2026-12-07 12:00:00.000 UTC, "
              "the clock was 1.250 s fast, receiver delay 0 ms");
    f.form.setComputerClock(ClockSetCause::AfterStartup);
    EXPECT_NE(f.log.lines.back().find("Clock set (after start-up)"), std::string::npos);
    EXPECT_TRUE(f.tray.messages.empty());

    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.tray.messages.size(), 1u) << "in the tray, the tray's notification";
    EXPECT_EQ(f.tray.messages[0].text, "Clock set: the clock was 1.250 s fast");
    EXPECT_EQ(f.balloon.shows.size(), 1u);
}

TEST_F(ClockSettingLog, ATimerSettingRefusedNotifiesAndLogsButNeverOpensABox) {
    giveFix({"12", "00", "00", "07", "12", "26"});
    f.clock.result = {ClockSetOutcome::NotPermitted, "Operation not permitted"};
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.desktop.messages.size(), 1u) << "the button keeps its box";
    const std::string boxText = f.desktop.messages[0].text;
    f.clearRecords();

    f.tray.shown = true;
    for (int day = 0; day < 3; ++day) {
        EXPECT_FALSE(f.form.setComputerClock(ClockSetCause::Daily));
    }
    EXPECT_FALSE(f.form.setComputerClock(ClockSetCause::AfterStartup));
    EXPECT_TRUE(f.desktop.messages.empty());
    EXPECT_EQ(f.random.reseeds, 0);
    EXPECT_EQ(f.form.NextUpdateHhmm, 1234) << "a refusal keeps the scheduled time";
    EXPECT_FALSE(f.form.LastClockSetting);
    ASSERT_EQ(f.tray.messages.size(), 4u);
    // The notification has one short sentence; the log has the box's whole text.
    EXPECT_EQ(f.tray.messages[0].text,
              "The clock was not set: Quorvane lacks the right to set it; see Quorvane.log.");
    EXPECT_EQ(f.tray.messages[0].title, "Quorvane");

    // The log has the same text on one line, after the button's own line.
    ASSERT_EQ(f.log.lines.size(), 5u);
    const std::string& line = f.log.lines[1];
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    EXPECT_NE(line.find("Z Clock not set (daily): Quorvane is not allowed to set the computer "
                        "clock: it needs"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("(Operation not permitted)"), std::string::npos) << line;
    EXPECT_NE(f.log.lines[0].find(oneLine(boxText)), std::string::npos);
    EXPECT_NE(f.log.lines[4].find("Clock not set (after start-up): "), std::string::npos);

    // A stale fix, from the timer, without a tray: the balloon tells it.
    f.tray.shown = false;
    giveFix({"12", "00", "00", "07", "12", "26"}, 0, seconds(11));
    f.form.setComputerClock(ClockSetCause::Daily);
    ASSERT_EQ(f.balloon.shows.size(), 1u);
    EXPECT_EQ(f.balloon.shows[0].text, "The clock was not set: no recent GPS fix.");
    EXPECT_NE(f.log.lines.back().find(oneLine(noRecentFixMessage(10))), std::string::npos);
    EXPECT_TRUE(f.desktop.messages.empty());

    // No valid fix at the scheduled minute: logged, nobody told.
    f.form.TimeValid.setFillColor(LampRed);
    f.form.setComputerClock(ClockSetCause::Daily);
    EXPECT_NE(f.log.lines.back().find("Clock not set (daily): The GPS fix is not valid"),
              std::string::npos);
    EXPECT_EQ(f.balloon.shows.size(), 1u);
    EXPECT_EQ(f.tray.messages.size(), 4u);
}

TEST(ClockMessages, OffsetsAreSignedSecondsToTheMillisecond) {
    EXPECT_EQ(signedSeconds(842), "+0.842 s");
    EXPECT_EQ(signedSeconds(-12'005), "-12.005 s");
    EXPECT_EQ(signedSeconds(0), "+0.000 s");
    EXPECT_EQ(signedSeconds(-1), "-0.001 s");
    EXPECT_EQ(clockSetNotice(-3'600'042), "Clock set: the clock was 3600.042 s fast");
    EXPECT_EQ(clockSetNotice(0), "Clock set: the clock was right");
}

}  // namespace
}  // namespace quorvane::testing
