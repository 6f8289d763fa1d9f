#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

// Sharing on unit 5 from the option file, the segment taken at the first tick; the fix valid.
struct TimeSharing : ::testing::Test {
    void SetUp() override {
        f.files.files[joinPath(f.files.folder, "QuorvaneChrony.XML")] =
            " <CHRONY>\r\n<SHARE_TIME>True</SHARE_TIME>\r\n<SHM_UNIT>5</SHM_UNIT>\r\n </CHRONY>";
        f.load();
        f.form.EarliestFixDate = DateTime{2020, 1, 1};
        f.form.ReceiverDelayMs = 250;
        tick();
        f.form.TimeValid.setFillColor(LampGreen);
        f.clock.local = DateTime{2026, 12, 7, 10, 15, 30, 340};
    }
    void tick() {
        f.clock.advance(std::chrono::seconds(1));
        f.form.Timer1_Timer();
    }
    // The fix 10:15:3s UTC on 7 Dec 2026 from a burst begun `agoMs` before now.
    void burst(int s, int agoMs, bool trustworthy = true) {
        const MonoTime start = f.clock.mono - std::chrono::milliseconds(agoMs);
        f.serial.deliver("$GPRMC,10153" + std::to_string(s) + ".00,A,,,,,,,071226,,,A\r\n",
                         ArrivalStamps{start, start, trustworthy});
    }
    FormFixture f;
};

TEST_F(TimeSharing, OneSampleForEachTrustworthyBurstWithAValidFix) {
    EXPECT_EQ(f.timeShare.opens, std::vector<int>{5});
    EXPECT_NE(f.tray.toolTip.find("\nSharing time with chrony, SHM 5"), std::string::npos);
    burst(0, 60);
    burst(0, 60);  // the same burst's next line
    tick();
    burst(1, 10, false);  // a burst its reader could not date
    f.form.TimeValid.setFillColor(LampRed);
    burst(2, 5);  // the fix lost: chrony must see the source go stale
    // The fix's instant plus the receiver delay, against the clock when the burst began.
    const std::int64_t fixNs = toEpochMilliseconds(DateTime{2026, 12, 7, 10, 15, 30}) * 1'000'000;
    const std::vector<TimeShareSample> expected{{fixNs + 250'000'000, fixNs + 280'000'000}};
    EXPECT_EQ(f.timeShare.samples, expected);
}

TEST_F(TimeSharing, ChronyKeepsTheClockButSetTimeStillSetsIt) {
    f.form.KeepTimeBetweenSettings.setChecked(true);
    f.form.RxStaleCount = 0;
    f.form.FixStaleCount = -1;
    f.form.SyncAfterStartupPending = true;
    f.form.NextUpdateHhmm = 1015;  // this minute, not yet seen
    f.form.LastTickHhmm = 0;
    burst(0, 20);
    tick();
    EXPECT_FALSE(f.form.SyncAfterStartupPending);
    EXPECT_TRUE(f.clock.setCalls.empty() && f.clock.frequencyCalls.empty());
    f.form.SetComputerClock_Click();
    EXPECT_EQ(f.clock.setCalls.size(), 1u);
}

// A segment refused (chrony made it first, say) is told once per reason, in a box when the user
// asked, and taken at a retry every half minute once mended, without a click.
TEST_F(TimeSharing, ARefusedSegmentIsToldOncePerReasonAndTakenOnceMended) {
    f.form.ShareTimeWithChrony.click();
    f.timeShare.refusal = "It is root's.";
    f.form.ShareTimeWithChrony.click();
    for (const char* reason : {"It is root's.", "It is root's.", "Others may write it.", ""}) {
        f.timeShare.refusal = reason;
        for (int second = 0; second < 30; ++second) {
            tick();
        }
    }
    EXPECT_EQ(f.timeShare.opens.size(), 6u);
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text, "Quorvane cannot share time with chrony. It is root's.");
    EXPECT_EQ(
        std::count_if(f.tray.messages.begin(), f.tray.messages.end(),
                      [](const auto& m) { return m.text.find("cannot share") < m.text.size(); }),
        1);
    EXPECT_NE(f.tray.toolTip.find("\nSharing time with chrony, SHM 5"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::testing
