#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

const std::string kRmc = "$GPRMC,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*59";
const FixFields kFix{"04", "36", "36", "06", "12", "26"};

// Status "V" and a wrong checksum change nothing on the display; only a trusted line (checksum
// right or absent) becomes the fix the clock may be set from, with its burst's stamp.
TEST_F(Decoder, RmcSetsTheFixTimeWhateverItsStatusOrChecksum) {
    const std::string vStatus = "$GPRMC,043636.00,V,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*4E";
    const std::vector<std::pair<std::string, bool>> lines = {
        {kRmc, true},
        {vStatus, true},
        {vStatus.substr(0, vStatus.size() - 1) + "e", true},  // lower-case hex
        {kRmc.substr(0, kRmc.find('*')), true},               // no checksum
        {kRmc.substr(0, kRmc.size() - 1) + "A", false},       // wrong
        {kRmc + "9", false},                                  // spliced text after it
        {kRmc.substr(0, kRmc.size() - 1), false},             // one digit
    };
    for (const auto& [line, trusted] : lines) {
        FormFixture g;
        g.load();
        const MonoTime burst = g.clock.mono - std::chrono::milliseconds(180);
        g.serial.deliver(line + "\r", ArrivalStamps{burst, g.clock.mono});
        EXPECT_EQ(g.form.FixTime, kFix) << line;
        EXPECT_EQ(g.form.TimeGPS.text(), "6 Dec 26  0436:36");
        EXPECT_EQ(g.form.BalloonTitle, "NMEA-0183");
        EXPECT_EQ(g.form.FixStaleCount, 9);
        EXPECT_EQ(g.form.RxStaleCount, 9);
        EXPECT_EQ(g.form.GPSLatitude.text(), "Quorvane") << "position fields are not used";
        if (!trusted) {
            EXPECT_FALSE(g.form.LastClockFix) << line;
        } else {
            ASSERT_TRUE(g.form.LastClockFix) << line;
            EXPECT_EQ(g.form.LastClockFix->fields, kFix);
            EXPECT_EQ(g.form.LastClockFix->fractionMs, 0);
            EXPECT_EQ(g.form.LastClockFix->burstStart, burst);
        }
    }
}

TEST_F(Decoder, BadChecksumKeepsThePreviousClockFix) {
    f.receive("$GPRMC,235959.50,A,,,,,,,311299,,,A*60");  // correct
    f.receive("$GPRMC,000000.00,A,,,,,,,010100,,,A*66");  // wrong: 65 is right
    EXPECT_EQ(form.TimeGPS.text(), "1 Jan 00  0000:00");
    ASSERT_TRUE(form.LastClockFix);
    EXPECT_EQ(form.LastClockFix->fields, (FixFields{"23", "59", "59", "31", "12", "99"}));
    EXPECT_EQ(form.LastClockFix->fractionMs, 500);
}

TEST_F(Decoder, FieldsAreCutAsTheyComeAndOnlyRealDatesAreShown) {
    const std::vector<std::tuple<std::string, std::string, FixFields, std::string, int>> cases = {
        {"123456.99", "230394", {"12", "34", "56", "23", "03", "94"}, "23 Mar 94  1234:56", 990},
        {"000000.5", "290224", {"00", "00", "00", "29", "02", "24"}, "29 Feb 24  0000:00", 500},
        {"235960.123456",
         "311216",
         {"23", "59", "60", "31", "12", "16"},
         "31 Dec 16  2359:60",
         123},
        {"1234", "061226", {"12", "34", "", "06", "12", "26"}, "No valid fix time", 0},
        {"", "260810", {"", "", "", "26", "08", "10"}, "No valid fix time", 0},
        {"043636", "060026", {"04", "36", "36", "06", "00", "26"}, "No valid fix time", 0},
        {"043636", "290223", {"04", "36", "36", "29", "02", "23"}, "No valid fix time", 0},
        {"2a3636", "061226", {"2a", "36", "36", "06", "12", "26"}, "No valid fix time", 0},
    };
    for (const auto& [time, date, fields, shown, ms] : cases) {
        f.receive("$GPRMC," + time + ",A,,,,,,," + date + ",,,A");
        EXPECT_EQ(form.FixTime, fields) << time << " " << date;
        EXPECT_EQ(form.TimeGPS.text(), shown) << time << " " << date;
        ASSERT_TRUE(form.LastClockFix);
        EXPECT_EQ(form.LastClockFix->fractionMs, ms) << time;
    }
}

const std::string kPgrmf =
    "$PGRMF,2450,302196,061226,043636,18,4807.0380,N,01131.0000,E,A,2,0,0,2,1*2B";

TEST_F(Decoder, PgrmfTakesTheFixTimeFromItsOwnFields) {
    f.receive(kPgrmf);
    EXPECT_EQ(form.FixTime, kFix);
    EXPECT_EQ(form.TimeGPS.text(), "6 Dec 26  0436:36");
    EXPECT_EQ(form.BalloonTitle, "GARMIN");
    ASSERT_TRUE(form.LastClockFix);
    EXPECT_EQ(form.LastClockFix->fields, kFix);
}

// On a line that never rests each line is stamped at its own first byte: the PGRMF that repeats
// the RMC's fix keeps the RMC's earlier stamp, else the clock is set behind by the gap between
// them. The same fix a cycle later, or another fix, takes its own.
TEST_F(Decoder, ALaterLineWithTheSameFixKeepsTheEarlierStamp) {
    using std::chrono::milliseconds;
    const MonoTime t = f.clock.mono;
    const auto deliverAt = [&](const std::string& line, milliseconds after) {
        f.serial.deliver(line + "\r", ArrivalStamps{t + after, t + after});
        return form.LastClockFix.value().burstStart - t;
    };
    EXPECT_EQ(deliverAt(kRmc, milliseconds(0)), milliseconds(0));
    EXPECT_EQ(deliverAt(kPgrmf, milliseconds(120)), milliseconds(0));
    EXPECT_EQ(deliverAt(kPgrmf, milliseconds(1000)), milliseconds(1000));
    const std::string nextSecond =
        "$GPRMC,043637.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*58";
    EXPECT_EQ(deliverAt(nextSecond, milliseconds(1100)), milliseconds(1100));
}

// When no rest marks the next second's burst, the line still carries the start of the burst
// before; the new fix must not take it (a second ahead) but fall back to its own first byte, and
// a second line of that fix keeps what the first got.
TEST_F(Decoder, ABurstStartStampsOneFixOnly) {
    using std::chrono::milliseconds;
    const MonoTime t = f.clock.mono;
    const auto deliver = [&](const std::string& line, milliseconds burst, milliseconds first) {
        f.serial.deliver(line + "\r", ArrivalStamps{t + burst, t + first});
        return form.LastClockFix.value().burstStart - t;
    };
    const std::string nextRmc = "$GPRMC,043637.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*58";
    const std::string nextPgrmf =
        "$PGRMF,2450,302197,061226,043637,18,4807.0380,N,01131.0000,E,A,2,0,0,2,1*2B";
    EXPECT_EQ(deliver(kRmc, milliseconds(0), milliseconds(40)), milliseconds(0));
    EXPECT_EQ(deliver(nextRmc, milliseconds(0), milliseconds(990)), milliseconds(990));
    EXPECT_EQ(deliver(nextPgrmf, milliseconds(0), milliseconds(1100)), milliseconds(990));
}

}  // namespace
}  // namespace quorvane::testing
