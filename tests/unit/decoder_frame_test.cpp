#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

using Lines = std::vector<std::string>;

TEST_F(Decoder, HistoryKeepsTenLinesAndTheBalloonListsThemOldestFirst) {
    for (int i = 1; i <= 12; ++i) {
        f.receive("$XX" + std::to_string(i));
    }
    EXPECT_EQ(form.SentenceHistory[0], "$XX12");
    EXPECT_EQ(form.SentenceHistory[9], "$XX3");
    std::string expected;
    for (int i = 3; i <= 12; ++i) {
        expected += "$XX" + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(form.BalloonText, expected);
    EXPECT_EQ(form.RxStaleCount, 10 - 12);

    // An empty line shows as an empty last line, then is skipped in later rebuilds.
    f.receive("");
    EXPECT_EQ(form.Label2.toolTip(), "");
    EXPECT_EQ(form.GPS_Label.toolTip(), "");
    EXPECT_TRUE(form.BalloonText.ends_with("$XX12\r\n\r\n"));
    f.receive("$XX13");
    EXPECT_TRUE(form.BalloonText.ends_with("$XX12\r\n$XX13\r\n"));
    EXPECT_TRUE(form.BalloonText.starts_with("$XX5\r\n"));
    EXPECT_EQ(form.RxStaleCount, 10 - 14);
}

// Unrecognised tags, and recognised ones cut short before a comma their path needs, touch
// only the history, the tooltips, the computer time and the reception count.
TEST_F(Decoder, UnrecognisedAndShortLinesOnlyCountAsReception) {
    const Lines lines = {
        "$GNRMC,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*47",
        "$gprmc,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A",
        " $GPRMC,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A",
        "$GPRM",
        "$GPRMC,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226",
        "$GPGGA,043636.00,4807.0380",
        "$GPGGA,043636.00,4807.0380,N,01131.0000",
        "$GPGGA,043636.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4",
        "$PGRMZ,1789",
        "$PGRMF,2450,302196,061226,043636,18,4807.0380,N,01131.0000,E,A,2",
    };
    for (const std::string& line : lines) {
        FormFixture g;
        g.load();
        Form1& form = g.form;
        const std::vector<std::string> before = displays(form);
        g.clock.local = DateTime{2026, 12, 7, 9, 5, 3, 0};
        g.receive(line);
        EXPECT_EQ(displays(form), before) << line;
        EXPECT_EQ(form.FixTime, FixFields{}) << line;
        EXPECT_FALSE(form.LastClockFix) << line;
        EXPECT_EQ(form.FixStaleCount, 10) << line;
        EXPECT_EQ(form.RxStaleCount, 9) << line;
        EXPECT_EQ(form.BalloonTitle, "NO GPS Rx") << line;
        EXPECT_EQ(form.Label7.toolTip(), line);
        EXPECT_EQ(form.TimeComputer.text(), "7 Dec 26  0905:03");
    }
}

TEST_F(Decoder, EachSentenceMovesTheFixCountAsItsReportSays) {
    const std::string gga = "$GPGGA,043636.00,4807.0380,N,01131.0000,E,";
    const std::string ggaTail = ",08,0.9,545.4,M,46.9,M,,";
    const std::string rmf = "$PGRMF,2450,302196,061226,043636,18,4807.0380,N,01131.0000,E,A,";
    const std::vector<std::pair<std::string, int>> steps = {
        {gga + "1" + ggaTail, 8},  {gga + "2" + ggaTail, 5},  {gga + "3" + ggaTail, 2},
        {gga + "01" + ggaTail, 2}, {gga + " 1" + ggaTail, 2}, {gga + "4" + ggaTail, 2},
        {"$PGRMZ,1789,f,3", 1},    {rmf + "1,0,0,2,1", -2},   {rmf + "2,0,0,2,1", -6},
        {rmf + "3,0,0,2,1", -7},   {gga + "0" + ggaTail, 10}, {rmf + "0,0,0,2,1", 9},
        {"$GPRMC,,V,,,,,,,,,", 8}, {"$GPGSA,A,3", 8},
    };
    for (const auto& [line, count] : steps) {
        f.receive(line);
        EXPECT_EQ(form.FixStaleCount, count) << line;
    }
    EXPECT_EQ(form.RxStaleCount, 10 - static_cast<int>(steps.size()));

    // A no-fix report restarts the count from any value; changes saturate, never wrap.
    form.FixStaleCount = -32767;
    form.RxStaleCount = -32768;
    f.receive(gga + "2" + ggaTail);
    EXPECT_EQ(form.FixStaleCount, -32768);
    EXPECT_EQ(form.RxStaleCount, -32768);
    f.receive(gga + "0" + ggaTail);
    EXPECT_EQ(form.FixStaleCount, 10);
}

}  // namespace
}  // namespace quorvane::testing
