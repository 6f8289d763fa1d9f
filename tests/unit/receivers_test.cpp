#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

// Without checksums, which the clock takes as it takes correct ones.
const std::string kRmc = "RMC,043636.25,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A";
const std::string kGga = "GGA,043636.25,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST(SatelliteSystems, OtherTalkersTakeTheGpPathsOnlyWhenAcceptedAndTheChoiceIsKept) {
    const auto burst = [](FormFixture& f, const std::string& talker) {
        f.load();
        f.receive("$" + talker + kRmc);
        f.receive("$" + talker + kGga);
        return std::tuple{displays(f.form), f.form.BalloonTitle, f.form.FixStaleCount,
                          f.form.LastClockFix.has_value()};
    };
    FormFixture gp;
    const auto asGp = burst(gp, "GP");
    for (const std::string talker : {"GN", "GL", "GA", "GB", "BD", "GQ", "GI", "II"}) {
        FormFixture f, next;
        EXPECT_NE(burst(f, talker), asGp) << talker;
        f.form.AcceptAllSatelliteSystems.click();
        EXPECT_EQ(f.files.files.size(), 1u) << "its own file, not Quorvane.XML";
        next.files.files = f.files.files;  // read at the next start
        EXPECT_EQ(burst(next, talker) == asGp, talker != "II") << talker;
    }
    gp.files.writeFails = 61;  // a failed save puts the mark back and says why
    gp.form.AcceptAllSatelliteSystems.click();
    EXPECT_FALSE(gp.form.AcceptAllSatelliteSystems.checked());
    EXPECT_EQ(gp.log.lines.size() + gp.desktop.messages.size(), 2u);
}

// A receiver's RMC and GGA each second, dated by the reader or not; a tick 100 ms after each.
struct Bursts : FormFixture {
    int second = 10;
    Bursts() {
        load();
        form.EarliestFixDate = DateTime{2020, 1, 1};
        run(8, true);
    }
    void run(int count, bool dated) {
        for (; count > 0; --count, ++second) {
            clock.advance(std::chrono::milliseconds(900));
            for (const std::string& body : {"$GP" + kRmc, "$GP" + kGga}) {
                const std::string line =
                    body.substr(0, 11) + std::to_string(second) + body.substr(13);
                serial.deliver(line + "\r\n", ArrivalStamps{clock.mono, clock.mono, dated});
            }
            clock.advance(std::chrono::milliseconds(100));
            form.Timer1_Timer();
        }
    }
};

TEST(UndatedBursts, ASettingWaitsForTheNextDatedBurstAndGivesUpAfterFiveSeconds) {
    // What started the setting, undated bursts after the one it met, whether it then sets.
    const std::tuple<ClockSetCause, int, bool> cases[] = {
        {ClockSetCause::Button, 0, true},       {ClockSetCause::Daily, 0, true},
        {ClockSetCause::AfterStartup, 3, true}, {ClockSetCause::Button, 5, false},
        {ClockSetCause::Daily, 6, false},
    };
    for (const auto& [cause, undated, sets] : cases) {
        Bursts b;
        b.run(1, false);
        b.clearRecords();
        EXPECT_FALSE(b.form.setComputerClock(cause)) << "nothing blocks";
        EXPECT_NE(b.log.lines.back().find("waits for the next GPS burst"), std::string::npos);
        b.run(undated, false);
        const int datedSecond = b.second;
        b.run(1, true);
        ASSERT_EQ(b.clock.setCalls.size(), sets ? 1u : 0u) << static_cast<int>(cause) << undated;
        EXPECT_TRUE(!sets || b.clock.setCalls[0].second == datedSecond) << "the dated burst's";
        EXPECT_EQ(b.log.lines.back().find("none tells the time it arrived") != std::string::npos,
                  !sets);
        EXPECT_EQ(b.desktop.messages.size(), !sets && cause == ClockSetCause::Button ? 1u : 0u);
    }
}

TEST(UndatedBursts, NeitherTheKeepingNorMeasureNowSamplesThem) {
    Bursts b;
    b.form.KeepTimeBetweenSettings.click();
    b.form.Menu_ReceiverDelay_Measure.click();
    b.run(2, false);
    EXPECT_NE(b.form.KeepingSampledBurst, b.form.LastClockFix->burstStart);
    EXPECT_TRUE(b.form.DelayMeasuring->samplesMs.empty());
    b.run(1, true);
    EXPECT_EQ(b.form.KeepingSampledBurst, b.form.LastClockFix->burstStart);
    EXPECT_EQ(b.form.DelayMeasuring->samplesMs.size(), 1u);
}

}  // namespace
}  // namespace quorvane::testing
