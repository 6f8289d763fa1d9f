#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "fakes/fakes.h"
#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

class DriftKeeping : public ::testing::Test {
protected:
    std::string driftPath() const { return joinPath(f.files.folder, "QuorvaneDrift.XML"); }

    void loadWith(const std::optional<DriftFileValues>& drift) { loadOn(f, drift); }
    static void loadOn(FormFixture& g, const std::optional<DriftFileValues>& drift) {
        if (drift) {
            g.files.files[joinPath(g.files.folder, "QuorvaneDrift.XML")] = formatDriftFile(*drift);
        }
        g.load();
        g.form.EarliestFixDate = DateTime{2020, 1, 1};
        g.form.TimeValid.setFillColor(LampGreen);
    }

    // Seconds pass with a burst each, the computer's clock `aheadMs` ahead of the fix, and a
    // tick after each; the clock takes whatever value it is set to. With a natural drift, the
    // clock runs off by it plus the rate in force. Returns how far ahead it ends.
    void run(int count, std::int64_t aheadMs, bool bursts = true) {
        runOn(f, count, static_cast<double>(aheadMs), bursts);
    }
    static double runOn(FormFixture& f, int count, double aheadMs, bool bursts = true,
                        std::optional<double> naturalPpm = std::nullopt) {
        for (int i = 0; i < count; ++i) {
            f.clock.advance(seconds(1));
            if (naturalPpm) {
                aheadMs += (*naturalPpm + f.clock.disciplineState.frequencyPpm) * 1e-3;
            }
            if (bursts) {
                const DateTime truth = addMilliseconds(f.clock.local, -std::llround(aheadMs));
                f.form.LastClockFix =
                    ClockFix{{two(truth.hour), two(truth.minute), two(truth.second), two(truth.day),
                              two(truth.month), two(truth.year % 100)},
                             truth.millisecond,
                             f.clock.mono,
                             f.clock.mono};
                f.form.Keeping_OnRead();
            }
            const std::size_t sets = f.clock.setCalls.size();
            f.form.Keeping_Tick();
            if (f.clock.setCalls.size() > sets) {
                f.clock.local = f.clock.setCalls.back();
                aheadMs = 0;
            }
        }
        return aheadMs;
    }

    bool logged(const std::string& part) const {
        return std::any_of(f.log.lines.begin(), f.log.lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }

    static std::string two(int value) {
        return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
               static_cast<char>('0' + value % 10);
    }

    FormFixture f;
};

TEST_F(DriftKeeping, TheOptionSitsInTheCommMenuOffAndIsKeptInItsOwnFile) {
    loadWith(std::nullopt);
    const auto& comm = f.form.Menu_Comm.items();
    ASSERT_FALSE(comm.empty());
    EXPECT_EQ(comm.back(), &f.form.KeepTimeBetweenSettings);
    EXPECT_FALSE(f.form.KeepTimeBetweenSettings.checked());

    // The file cannot be saved: the user is told, and the check mark stays as the file has it.
    f.files.writeFails = 30;
    f.form.KeepTimeBetweenSettings.click();
    EXPECT_FALSE(f.form.KeepTimeBetweenSettings.checked());
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_NE(f.desktop.messages[0].text.find("could not save QuorvaneDrift.XML"),
              std::string::npos);
    f.files.writeFails.reset();

    f.form.KeepTimeBetweenSettings.click();
    EXPECT_TRUE(f.form.KeepTimeBetweenSettings.checked());
    EXPECT_EQ(parseDriftFile(f.files.files[driftPath()]), (DriftFileValues{true, std::nullopt}));
    EXPECT_FALSE(f.files.files.count(f.settingsPath()));  // the settings file is not touched
    EXPECT_TRUE(f.clock.frequencyCalls.empty());          // nothing known, nothing trimmed
}

TEST_F(DriftKeeping, KeepsTimeFromEveryBurstAndSaysWhatItDoes) {
    loadWith(DriftFileValues{true, 10});
    ASSERT_EQ(f.clock.frequencyCalls.size(), 1u);
    EXPECT_EQ(f.clock.frequencyCalls[0], -10);  // the file's drift, to start from

    // 2 s ahead: one ordinary setting, logged as keeping's, then kept within a millisecond.
    run(120, 2000);
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_TRUE(logged("Clock set (keeping)"));
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip(),
              "Keeping time: within 0.0 ms; the clock gains 10.0 ppm");
    EXPECT_NE(f.tray.toolTip.find("Quorvane > Quorvane\nKeeping time: within"), std::string::npos)
        << f.tray.toolTip;

    // One line an hour, not one a burst; the drift saved to start from next time.
    const std::size_t lines = f.log.lines.size();
    run(3600, 0);
    EXPECT_EQ(f.log.lines.size(), lines + 1);
    EXPECT_TRUE(logged("Keeping time: offset +0.0 ms, drift +10.0 ppm, trim -10.0 ppm"));
    EXPECT_EQ(parseDriftFile(f.files.files[driftPath()]).driftPpm, 10);

    // A resume from suspend, a new receiver delay: the estimate starts afresh, no setting.
    f.clock.suspended = std::chrono::milliseconds(0);
    run(1, 0);
    f.clock.suspended = hours(8);
    run(60, 0);
    f.form.ReceiverDelayMs = 150;  // the receiver's bursts now known to begin 150 ms late
    run(60, 150);
    EXPECT_TRUE(logged("resumed from suspend; the estimate starts afresh"));
    EXPECT_TRUE(logged("receiver delay changed; the estimate starts afresh"));
    EXPECT_EQ(f.clock.setCalls.size(), 1u);

    // The fix lost: the rate holds, and the log says when keeping stops and resumes.
    run(20, 150, false);
    EXPECT_TRUE(logged("Keeping time paused: no valid fix"));
    EXPECT_EQ(f.clock.frequencyCalls.back(), -10);
    run(40, 150);
    EXPECT_TRUE(logged("Keeping time resumed"));

    f.form.KeepTimeBetweenSettings.click();
    EXPECT_EQ(f.clock.frequencyCalls.back(), -10);
    EXPECT_NE(f.log.lines.back().find("Keeping time stops (the option is off)"), std::string::npos);
}

TEST_F(DriftKeeping, StartUpTrimsUnlessSomethingStandsInTheWay) {
    // Another program keeps the clock: the rate is left alone, said once, in a notification.
    FormFixture other;
    other.clock.disciplineState = {true, false, true, 3.5};
    other.files.files[driftPath()] = formatDriftFile({true, -20});
    other.form.Form_Load();
    EXPECT_EQ(other.balloon.shows.size(), 1u);  // not in the tray yet: a balloon
    other.clearRecords();
    other.form.KeepTimeBetweenSettings.click();
    other.form.KeepTimeBetweenSettings.click();
    other.form.Keeping_Tick();
    EXPECT_TRUE(other.clock.frequencyCalls.empty());
    EXPECT_TRUE(other.balloon.shows.empty());
    EXPECT_TRUE(other.desktop.messages.empty());

    // No right: a short notification at start-up, the way to grant it in the log, naming the
    // program that runs; a box when the user turns the option on.
    FormFixture refused;
    refused.clock.frequencyResult = {ClockSetOutcome::NotPermitted, "Operation not permitted"};
    refused.files.executable = "/opt/gps/gps-clock";
    refused.files.files[driftPath()] = formatDriftFile({true, -20});
    refused.form.Form_Load();
    ASSERT_EQ(refused.balloon.shows.size(), 1u);
    EXPECT_EQ(refused.balloon.shows[0].text,
              "Quorvane could not trim the clock's rate: it is not allowed to.");
    const std::string& full = refused.log.lines.back();
#ifndef _WIN32
    EXPECT_NE(full.find("sudo setcap cap_sys_time=ep /opt/gps/gps-clock"), std::string::npos);
#endif
    EXPECT_EQ(full.find("clock was not changed"), std::string::npos) << full;
    refused.clearRecords();
    refused.form.KeepTimeBetweenSettings.click();
    refused.form.KeepTimeBetweenSettings.click();
    EXPECT_EQ(refused.desktop.messages.size(), 1u);
    EXPECT_EQ(refused.form.KeepTimeBetweenSettings.toolTip(),
              "Keeping time stopped: no right to trim the clock's rate");
}

TEST_F(DriftKeeping, EveryWayOfStoppingLeavesTheDriftsCompensationAlone) {
    struct Case {
        const char* what;
        std::function<void(Form1&)> stop;
        std::optional<double> fileDrift, fileFound;  // what the drift file holds
        double inForce;                              // the rate found at start
        double left;                                 // the rate the stop must leave
        int calmS = 200, stepMs = 10, afterS = 100;  // the stop comes afterS after the step
    };
    const auto exitMenu = [](Form1& form) { form.mexit_Click(); };
    const Case cases[] = {
        {"Exit", exitMenu, 60, std::nullopt, 0, -60},
        {"close request", [](Form1& form) { form.Form_QueryUnload(); }, 60, std::nullopt, 0, -60},
        {"SIGTERM", [](Form1& form) { form.Form_Terminate("SIGTERM"); }, 60, std::nullopt, 0, -60},
        {"end of session", [](Form1& form) { form.Form_SessionEnding(); }, 60, std::nullopt, 0,
         -60},
        {"option off", [](Form1& form) { form.KeepTimeBetweenSettings.click(); }, 60, std::nullopt,
         0, -60},
        // No drift known: the rate found before the first trim.
        {"no drift known", exitMenu, std::nullopt, std::nullopt, 3.5, 3.5, 0, 10, 50},
        // A crashed copy left its trim, slewing and all: found again, never taken as drift.
        {"after a crash", exitMenu, 60, 0.0, -188, -60},
        {"after a crash, no drift known", exitMenu, std::nullopt, 2.0, -188, 2.0, 0, 10, 50},
    };
    for (const Case& c : cases) {
        FormFixture g;
        g.clock.disciplineState = {true, true, false, c.inForce};
        loadOn(g, DriftFileValues{true, c.fileDrift, c.fileFound});
        // A clock that gains 60 ppm is stepped by another program: keeping slews it out.
        const double ahead = runOn(g, c.calmS, 0, true, 60);
        runOn(g, c.afterS, ahead + c.stepMs, true, 60);
        ASSERT_NE(g.clock.disciplineState.frequencyPpm, c.left) << c.what << ": not slewing";
        c.stop(g.form);
        EXPECT_EQ(g.clock.disciplineState.frequencyPpm, c.left) << c.what;
        EXPECT_FALSE(parseDriftFile(g.files.files[driftPath()]).foundRatePpm) << c.what;
        // Nothing pumped or ticked afterwards steers again.
        runOn(g, 5, 30, true, 60);
        EXPECT_EQ(g.clock.disciplineState.frequencyPpm, c.left) << c.what;
    }
}

TEST_F(DriftKeeping, StandsAsideForAnotherProgramThatSetsTheClockAndLooksAgainLater) {
    loadWith(DriftFileValues{true, 10});
    run(120, 0);
    // Another program puts the clock 0.6 s ahead every 3 s.
    const auto fight = [&](int seconds) {
        for (int i = 0; i < seconds / 3; ++i) {
            run(3, 600);
        }
    };
    const std::string aside =
        "Another program is setting this computer's clock; Quorvane leaves it alone";
    fight(60);
    EXPECT_EQ(f.clock.setCalls.size(), 2u);  // two corrections, then aside
    EXPECT_EQ(f.clock.disciplineState.frequencyPpm, -10);
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip(), aside);
    EXPECT_NE(f.tray.toolTip.find(aside), std::string::npos);
    const std::size_t lines = f.log.lines.size();
    // It looks again 10, 20 and 40 minutes later: each look costs two corrections and a few
    // lines, and the next one waits twice as long.
    fight(70 * 60 + 30);
    EXPECT_EQ(f.clock.setCalls.size(), 8u);
    EXPECT_TRUE(logged("it looks again in 80 minutes"));
    EXPECT_EQ(std::count_if(
                  f.log.lines.begin(), f.log.lines.end(),
                  [&](const std::string& line) { return line.find(aside) != std::string::npos; }),
              1);
    EXPECT_LE(f.log.lines.size(), lines + 3 * 7);
    // The other program stops: keeping takes the clock back at the next look, and after an
    // hour alone the back-off starts over.
    run(4800 + 3700, 0);
    EXPECT_TRUE(logged("no other program has moved the clock for an hour"));
    EXPECT_EQ(f.form.KeepingBackOff, std::chrono::minutes(10));
    EXPECT_NE(f.form.KeepTimeBetweenSettings.toolTip().find("Keeping time: within"),
              std::string::npos);
}

TEST_F(DriftKeeping, LeavesARateSetByAnotherProgramAloneAndNeverLearnsIt) {
    f.clock.disciplineState = {true, true, false, 0};
    loadWith(DriftFileValues{true, 10});
    run(300, 0);
    const std::size_t trims = f.clock.frequencyCalls.size();
    f.clock.disciplineState.frequencyPpm = 25;  // set by another program
    run(599, 0);
    EXPECT_EQ(f.clock.frequencyCalls.size(), trims);  // hands off
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip(),
              "Another program steers the rate of this computer's clock; Quorvane leaves it alone");
    EXPECT_EQ(*f.form.Keeping.knownDriftPpm(), 10);

    // Ten minutes on it looks again and takes the rate back; the other program answers again,
    // and the next look comes twenty minutes later.
    run(2, 0);
    ASSERT_EQ(f.clock.frequencyCalls.size(), trims + 1);
    EXPECT_EQ(f.clock.frequencyCalls.back(), -10);
    f.clock.disciplineState.frequencyPpm = 25;
    run(1199, 0);
    EXPECT_EQ(f.clock.frequencyCalls.size(), trims + 1);
    run(2, 0);
    EXPECT_EQ(f.clock.frequencyCalls.size(), trims + 2);
}

TEST_F(DriftKeeping, OnlyOneCopyPerComputerKeepsTime) {
    f.clock.rateLockHeldElsewhere = true;
    loadWith(DriftFileValues{true, 10});
    run(60, 0);
    EXPECT_TRUE(f.clock.frequencyCalls.empty());
    const std::string why =
        "Another copy of Quorvane keeps time on this computer; this one leaves the clock's rate "
        "alone";
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip(), why);
    EXPECT_TRUE(logged(why + ": only one copy may steer the clock's rate"));
    // The other copy ends: this one takes over at its next look.
    f.clock.rateLockHeldElsewhere = false;
    run(600, 0);
    ASSERT_FALSE(f.clock.frequencyCalls.empty());
    EXPECT_EQ(f.clock.frequencyCalls[0], -10);
}

}  // namespace
}  // namespace quorvane::testing
