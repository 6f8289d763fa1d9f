#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"
#include "settings/drift_file.h"

namespace quorvane::testing {
namespace {

using std::chrono::hours;

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

    // After `gap`, the clock found `aheadMs` ahead of the fix, and set from it.
    void setAfter(hours gap, std::int64_t aheadMs) {
        f.clock.advance(gap);
        const DateTime truth = addMilliseconds(f.clock.local, -aheadMs);
        f.form.LastClockFix = ClockFix{{two(truth.hour), two(truth.minute), two(truth.second),
                                        two(truth.day), two(truth.month), two(truth.year % 100)},
                                       truth.millisecond,
                                       f.clock.mono};
        f.form.SetComputerClock_Click();
        f.clock.local = truth;  // the clock now runs from the value set
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
    EXPECT_EQ(comm.front(), &f.form.Menu_Port);
    EXPECT_FALSE(f.form.KeepTimeBetweenSettings.checked());
    EXPECT_TRUE(f.clock.frequencyCalls.empty());

    f.form.KeepTimeBetweenSettings.click();
    EXPECT_TRUE(f.form.KeepTimeBetweenSettings.checked());
    EXPECT_EQ(parseDriftFile(f.files.files[driftPath()]), (DriftFileValues{true, {}}));
    EXPECT_FALSE(f.files.files.count(f.settingsPath()));  // the settings file is not touched
    EXPECT_TRUE(f.clock.frequencyCalls.empty());          // nothing learned, nothing trimmed
}

TEST_F(DriftKeeping, LearnsFromSettingsAndTrimsTheRateAgainstTheDrift) {
    loadWith(DriftFileValues{true, {}});
    setAfter(hours(1), 0);
    setAfter(hours(24), 864);  // 0.864 s ahead after a day: gains 10 ppm
    EXPECT_NEAR(*f.form.Drift.driftPpm(), 10, 0.01);
    ASSERT_EQ(f.clock.frequencyCalls.size(), 1u);
    EXPECT_NEAR(f.clock.frequencyCalls[0], -10, 0.01);
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip().rfind("Drift 10.0 ppm, trimmed", 0), 0u)
        << f.form.KeepTimeBetweenSettings.toolTip();
    const auto logged = [&](const std::string& start) {
        return std::any_of(f.log.lines.begin(), f.log.lines.end(), [&](const std::string& line) {
            return line.find(start) != std::string::npos;
        });
    };
    EXPECT_TRUE(logged("Drift estimate 10.00 ppm over 24.0 h"));
    EXPECT_EQ(parseDriftFile(f.files.files[driftPath()]).estimates.size(), 1u);

    // Trimmed, the clock is found right: the untrimmed drift stays 10 ppm, no new trim.
    setAfter(hours(24), 0);
    EXPECT_NEAR(*f.form.Drift.driftPpm(), 10, 0.01);
    EXPECT_EQ(f.clock.frequencyCalls.size(), 1u);

    // Off: the trim goes back to 0 and stays there.
    f.form.KeepTimeBetweenSettings.click();
    EXPECT_EQ(f.clock.frequencyCalls.back(), 0);
    setAfter(hours(24), 864);
    EXPECT_EQ(f.clock.frequencyCalls.size(), 2u);
    EXPECT_EQ(f.form.KeepTimeBetweenSettings.toolTip().rfind("Drift 10.0 ppm, not trimmed", 0), 0u);
}

TEST_F(DriftKeeping, StartUpTrimsWhatWasLearnedUnlessSomethingStandsInTheWay) {
    loadWith(DriftFileValues{true, {{-21, 12}, {-20, 24}, {-19, 24}}});
    ASSERT_EQ(f.clock.frequencyCalls.size(), 1u);
    EXPECT_NEAR(f.clock.frequencyCalls[0], 19, 1e-9);  // the newest day's estimate

    // Another program keeps the clock: the rate is left alone, said once, in a notification.
    FormFixture other;
    other.clock.disciplineState = {true, false, true, 3.5};
    other.files.files[driftPath()] = formatDriftFile({true, {{-20, 24}}});
    other.form.Form_Load();
    EXPECT_EQ(other.balloon.shows.size(), 1u);  // not in the tray yet: a balloon
    other.clearRecords();
    other.form.KeepTimeBetweenSettings.click();
    other.form.KeepTimeBetweenSettings.click();
    EXPECT_TRUE(other.clock.frequencyCalls.empty());
    EXPECT_TRUE(other.balloon.shows.empty());
    EXPECT_TRUE(other.desktop.messages.empty());

    // No right: a notification at start-up, a box when the user turns the option on.
    FormFixture refused;
    refused.clock.frequencyResult = {ClockSetOutcome::NotPermitted, "Operation not permitted"};
    refused.files.files[driftPath()] = formatDriftFile({true, {{-20, 24}}});
    refused.form.Form_Load();
    ASSERT_EQ(refused.balloon.shows.size(), 1u);
    EXPECT_NE(refused.balloon.shows[0].text.find("could not trim the clock's rate"),
              std::string::npos);
    EXPECT_NE(refused.balloon.shows[0].text.find("not allowed"), std::string::npos);
    refused.clearRecords();
    refused.form.KeepTimeBetweenSettings.click();
    refused.form.KeepTimeBetweenSettings.click();
    EXPECT_EQ(refused.desktop.messages.size(), 1u);
    EXPECT_NE(refused.form.KeepTimeBetweenSettings.toolTip().find("not trimmed: no right"),
              std::string::npos);
}

}  // namespace
}  // namespace quorvane::testing
