#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"
#include "nmea/date_format.h"

namespace quorvane::testing {
namespace {

using std::chrono::seconds;

class StatusTimer : public ::testing::Test {
protected:
    void SetUp() override {
        f.load();
        f.form.EarliestFixDate = DateTime{2020, 1, 1};
    }

    // One timer period later, the handler runs.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            f.clock.advance(seconds(1));
            f.form.Timer1_Timer();
        }
    }

    // What the decoder leaves between two ticks while a receiver reports a good fix.
    void receiveGoodFix() {
        f.form.RxStaleCount = 0;
        f.form.FixStaleCount = -1;
        f.form.LastClockFix = ClockFix{{"10", "15", "30", "07", "12", "26"}, 0, f.clock.mono};
    }

    FormFixture f;
};

TEST_F(StatusTimer, LampsFollowTheCountersWithClampsAndHysteresis) {
    tick();
    EXPECT_EQ(f.form.TimeComputer.text(), formatDisplayDateTime(f.clock.local));
    EXPECT_EQ(f.form.GPS_CommOK.fillColor(), LampRed);
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampRed);
    EXPECT_EQ(f.form.RxStaleCount, 10);
    EXPECT_EQ(f.form.FixStaleCount, 10);

    // Reception: green up to 6 after the tick's +1, no hysteresis, clamped into 0..10.
    for (auto [before, colour, after] :
         {std::tuple{5, LampGreen, 6}, {6, LampRed, 7}, {-20, LampGreen, 0}, {300, LampRed, 10}}) {
        f.form.RxStaleCount = static_cast<std::int16_t>(before);
        tick();
        EXPECT_EQ(f.form.GPS_CommOK.fillColor(), colour) << before;
        EXPECT_EQ(f.form.RxStaleCount, after) << before;
    }

    // Fix: 0 after the tick keeps red; only a count driven below 0 turns it green.
    f.form.FixStaleCount = 0;
    tick();
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampRed);
    f.form.FixStaleCount = -30;
    tick();
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampGreen);
    EXPECT_TRUE(f.form.SetComputerClock.enabled());
    EXPECT_EQ(f.form.FixStaleCount, 0);
    EXPECT_EQ(f.form.BalloonIcon, 0);
    // Six more green ticks after the last fix, red at the seventh.
    for (int i = 1; i <= 6; ++i) {
        tick();
        EXPECT_EQ(f.form.TimeValid.fillColor(), LampGreen) << i;
    }
    tick();
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampRed);
    EXPECT_FALSE(f.form.SetComputerClock.enabled());
    f.form.FixStaleCount = 3000;
    tick();
    EXPECT_EQ(f.form.FixStaleCount, 10);
}

TEST_F(StatusTimer, LossOfReceptionClearsTheHistoryEveryTick) {
    for (int i = 0; i < 2; ++i) {
        f.form.SentenceHistory.fill("$GPGGA,...");
        f.form.BalloonText = "$GPGGA,...\r\n";
        f.form.Label6.setToolTip("$GPGGA,...");
        tick();
        EXPECT_EQ(f.form.BalloonTitle, "NO GPS Rx");
        EXPECT_EQ(f.form.BalloonIcon, 3);
        EXPECT_EQ(f.form.BalloonText, " ");
        EXPECT_EQ(f.form.SentenceHistory, (std::array<std::string, 10>{}));
        EXPECT_EQ(f.form.Label6.toolTip(), "NO GPS Rx");
    }
    // Data without a fix keeps the history.
    f.form.RxStaleCount = 0;
    f.form.SentenceHistory[0] = "$GPRMC,,V";
    tick();
    EXPECT_EQ(f.form.BalloonTitle, "FIX NOT VALID");
    EXPECT_EQ(f.form.BalloonIcon, 2);
    EXPECT_EQ(f.form.SentenceHistory[0], "$GPRMC,,V");
}

TEST_F(StatusTimer, PictureAndTooltipFollowTheFixLamp) {
    const std::size_t yellowOnly = f.desktop.loadedPaths.size();
    tick();
    EXPECT_EQ(f.desktop.loadedPaths.size(), yellowOnly) << "a red lamp keeps the yellow picture";
    EXPECT_EQ(f.tray.toolTip, "Quorvane > NOT VALID");
    tick();  // the tray icon appears

    const auto expectPicture = [&](const char* file, PictureColour colour, int setIcons) {
        EXPECT_EQ(f.desktop.pathOf(f.form.window.icon()), joinPath("/program", file));
        EXPECT_EQ(f.desktop.colourOf(f.form.window.icon()), colour);
        EXPECT_EQ(f.tray.icon, f.form.window.icon());
        EXPECT_EQ(f.tray.setIcons, setIcons);
    };
    f.form.TimeGPS.setText("6 Dec 26  0436:36");
    receiveGoodFix();
    tick();
    expectPicture("GPS_GREEN.ico", PictureColour::Green, 1);
    EXPECT_GE(f.desktop.pumps, 1);
    EXPECT_EQ(f.tray.toolTip, "Quorvane > 6 Dec 26  0436:36");
    receiveGoodFix();
    tick();
    expectPicture("GPS_GREEN.ico", PictureColour::Green, 1);

    tick(7);
    expectPicture("GPS_RED.ico", PictureColour::Red, 2);
    EXPECT_EQ(f.tray.toolTip, "Quorvane > NOT VALID");
    receiveGoodFix();
    tick();
    expectPicture("GPS_GREEN.ico", PictureColour::Green, 3);
    EXPECT_EQ(f.desktop.loadedPaths.size(), yellowOnly + 3);
}

TEST_F(StatusTimer, SetsTheClockAfterStartUpOnceBothLampsAreGreen) {
    f.form.SyncAfterStartupPending = true;
    receiveGoodFix();
    f.form.RxStaleCount = 10;  // a fix lamp green without reception is not enough
    tick();
    EXPECT_TRUE(f.clock.setCalls.empty());
    EXPECT_TRUE(f.form.SyncAfterStartupPending);
    for (int i = 0; i < 3; ++i) {
        receiveGoodFix();
        tick();
    }
    EXPECT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_FALSE(f.form.SyncAfterStartupPending);
}

TEST_F(StatusTimer, SetsTheClockAtTheFirstTickOfTheScheduledMinuteOnly) {
    f.form.NextUpdateHhmm = 1016;
    f.clock.local = DateTime{2026, 12, 7, 10, 15, 58};
    f.clock.result = {ClockSetOutcome::NotPermitted, ""};  // keeps the scheduled time
    for (int i = 0; i < 70; ++i) {
        receiveGoodFix();
        tick();
        EXPECT_EQ(f.clock.setCalls.size(), f.clock.local.minute >= 16 ? 1u : 0u)
            << toIsoText(f.clock.local);
    }
    // The next day's arrival of the same minute counts again.
    f.clock.local = DateTime{2026, 12, 8, 10, 15, 59};
    receiveGoodFix();
    tick(2);
    EXPECT_EQ(f.clock.setCalls.size(), 2u);

    // Without a valid fix the minute passes, nothing is set and the time is kept.
    f.clock.result = {ClockSetOutcome::Set, ""};
    f.clock.local = DateTime{2026, 12, 9, 10, 15, 59};
    f.form.FixStaleCount = 10;
    tick(2);
    EXPECT_EQ(f.clock.setCalls.size(), 2u);
    EXPECT_EQ(f.form.NextUpdateHhmm, 1016);
}

TEST_F(StatusTimer, AStartInsideTheScheduledMinuteMissesIt) {
    // The first tick counts as the arrival, before any fix; 0000 at 00:00 is never an arrival.
    for (auto [hhmm, local] : {std::pair{std::int16_t{1015}, DateTime{2026, 12, 7, 10, 15, 1}},
                               {std::int16_t{0}, DateTime{2026, 12, 7, 0, 0, 1}}}) {
        FormFixture g;
        g.load();
        g.form.EarliestFixDate = DateTime{2020, 1, 1};
        g.form.NextUpdateHhmm = hhmm;
        g.clock.local = local;
        g.form.Timer1_Timer();
        for (int i = 0; i < 50; ++i) {
            g.form.RxStaleCount = 0;
            g.form.FixStaleCount = -1;
            g.form.LastClockFix = ClockFix{{"10", "15", "30", "07", "12", "26"}, 0, g.clock.mono};
            g.clock.advance(seconds(1));
            g.form.Timer1_Timer();
        }
        EXPECT_EQ(g.form.TimeValid.fillColor(), LampGreen);
        EXPECT_TRUE(g.clock.setCalls.empty()) << hhmm;
    }
}

TEST_F(StatusTimer, StartUpDelayOpensThePortOnceAtItsSecondToLastTick) {
    tick(27);
    EXPECT_EQ(f.files.writes, 0);
    tick();
    EXPECT_EQ(f.files.writes, 1) << "SaveAndStartGPSPort saves the settings at tick 28";
    tick(20);
    EXPECT_EQ(f.files.writes, 1);
    EXPECT_EQ(f.form.StartupDelayCount, 0);

    FormFixture none;
    none.load();
    none.form.GpsPortName = "None/Reset";
    none.form.StartupDelayCount = 4;
    for (int i = 0; i < 40; ++i) {
        none.clock.advance(seconds(1));
        none.form.Timer1_Timer();
    }
    EXPECT_EQ(none.files.writes, 0);
    EXPECT_EQ(none.serial.opens, 0);

    FormFixture noDelay;
    noDelay.load();
    noDelay.form.StartupDelayCount = 4;
    noDelay.form.Timer1_Timer();
    EXPECT_EQ(noDelay.files.writes, 0);
    noDelay.clock.advance(seconds(1));
    noDelay.form.Timer1_Timer();
    EXPECT_EQ(noDelay.files.writes, 1);
}

TEST_F(StatusTimer, AddsTheTrayIconAtTickTwoThenHidesWhenAsked) {
    f.form.StartInTaskTray.setChecked(true);
    tick();
    EXPECT_EQ(f.tray.adds, 0);
    EXPECT_TRUE(f.form.window.visible());
    tick();
    EXPECT_EQ(f.tray.adds, 1);
    EXPECT_EQ(f.tray.toolTips.at(f.tray.toolTips.size() - 2), "Quorvane") << "the add's tooltip";
    EXPECT_EQ(f.tray.icon, f.form.window.icon());
    EXPECT_FALSE(f.form.window.visible());
    tick(10);
    EXPECT_EQ(f.tray.adds, 1);
    EXPECT_EQ(f.form.TrayDelayCount, 0);
}

TEST_F(StatusTimer, NothingRunsOnceAPumpedEventEndedTheProgram) {
    f.form.StartInTaskTray.setChecked(true);
    tick();
    f.desktop.queued.push_back([&] { f.form.ProgramEnded = true; });
    tick();
    EXPECT_TRUE(f.form.window.visible()) << "no hide after the program ended";
    const std::string shown = f.form.TimeComputer.text();
    tick();
    EXPECT_EQ(f.form.TimeComputer.text(), shown);
}

TEST_F(StatusTimer, TicksInsideATicksBoxShowTheStateAndLeaveTheTimedActionsToIt) {
    // No delay: tick 2 opens the port, which fails; its box stays up for three more ticks.
    f.form.StartupDelayCount = 4;
    f.form.GpsPortName = "Com1";
    f.form.SyncAfterStartupPending = true;
    f.serial.failOn = "setPortOpen";
    std::vector<std::string> computerTimes, trayTips;
    f.desktop.whileMessageBoxUp = [&] {
        // A measurement whose time is up: only a timed step may end it.
        f.form.DelayMeasuring = DelayMeasurement{false, f.clock.mono - seconds(60), {}, 0, {}};
        receiveGoodFix();
        for (int i = 0; i < 3; ++i) {
            tick();
            computerTimes.push_back(f.form.TimeComputer.text());
            trayTips.push_back(f.tray.toolTip);
        }
        // The time and the tray went on; the counters did not age, nor did the lamps move...
        EXPECT_EQ(f.form.RxStaleCount, 0);
        EXPECT_EQ(f.form.FixStaleCount, -1);
        EXPECT_EQ(f.form.TimeValid.fillColor(), LampRed);
        EXPECT_TRUE(f.form.DelayMeasuring.has_value()) << "a nested tick ended the measurement";
        // ...while the box's own tick has not yet added the tray icon, nor did a nested tick
        // open the port again or set the clock.
        EXPECT_EQ(f.tray.adds, 0);
        EXPECT_EQ(std::count(f.serial.calls.begin(), f.serial.calls.end(), "setPortOpen 1"), 1);
        EXPECT_TRUE(f.clock.setCalls.empty());
        EXPECT_TRUE(f.form.SyncAfterStartupPending);
    };
    tick(2);
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(computerTimes.size(), 3u);
    EXPECT_NE(computerTimes.front(), computerTimes.back());
    EXPECT_EQ(trayTips.back(), "Quorvane > NOT VALID");
    EXPECT_EQ(f.tray.adds, 1) << "the tick that opened the box went on once it was answered";

    // Ticks are whole again: the lamps follow the fix, the measurement ends, and the setting
    // after start-up happens.
    receiveGoodFix();
    tick();
    EXPECT_FALSE(f.form.DelayMeasuring.has_value());
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampGreen);
    EXPECT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_FALSE(f.form.TickInProgress);
}

TEST_F(StatusTimer, BunchedTicksAgeTheCountersOncePerSecond) {
    // Milliseconds since the previous tick, and whether the counters age at this one.
    for (const auto& [afterMs, ages] : {std::pair{1000, true},
                                        {100, false},
                                        {300, false},
                                        {600, true},
                                        {10, false},
                                        {500, true}}) {
        f.form.RxStaleCount = 3;
        f.clock.advance(std::chrono::milliseconds(afterMs));
        f.form.Timer1_Timer();
        EXPECT_EQ(f.form.RxStaleCount, ages ? 4 : 3) << afterMs;
        EXPECT_EQ(f.form.TimeComputer.text(), formatDisplayDateTime(f.clock.local));
    }
}

}  // namespace
}  // namespace quorvane::testing
