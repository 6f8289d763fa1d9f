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

}  // namespace
}  // namespace quorvane::testing
