#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"
#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

class DriftKeeping : public ::testing::Test {
protected:
    std::string driftPath() const { return joinPath(f.files.folder, "QuorvaneDrift.XML"); }

    void loadWith(const std::optional<DriftFileValues>& drift) {
        if (drift) {
            f.files.files[driftPath()] = formatDriftFile(*drift);
        }
        f.load();
        f.form.EarliestFixDate = DateTime{2020, 1, 1};
        f.form.TimeValid.setFillColor(LampGreen);
    }

    // Seconds pass with a burst each, the computer's clock `aheadMs` ahead of the fix, and a
    // tick after each; the clock takes whatever value it is set to.
    void run(int count, std::int64_t aheadMs, bool bursts = true) {
        for (int i = 0; i < count; ++i) {
            f.clock.advance(seconds(1));
            if (bursts) {
                const DateTime truth = addMilliseconds(f.clock.local, -aheadMs);
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
    EXPECT_EQ(parseDriftFile(f.files.files[driftPath()]), (DriftFileValues{true, 0.0}));
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
              "Keeping time: within 0.0 ms, drift +10.0 ppm");
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
    EXPECT_EQ(f.clock.frequencyCalls.back(), 0);
    EXPECT_EQ(f.log.lines.back().substr(25), "Clock rate trim removed");
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

}  // namespace
}  // namespace quorvane::testing
