#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

std::string gga(const std::string& latitude, const std::string& longitude,
                const std::string& altitude) {
    return "$GPGGA,043636.00," + latitude + ",N," + longitude + ",E,1,08,0.9," + altitude +
           ",M,46.9,M,,";
}

TEST_F(Decoder, GgaShowsPositionAndAltitudeInTheChosenUnit) {
    f.receive("$GPGGA,043636.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*60");
    EXPECT_EQ(displays(form), (std::vector<std::string>{"Quorvane", "N 48:07.0380", "E 011:31.0000",
                                                        "1,789 feet"}));
    EXPECT_EQ(form.FixStaleCount, 8);
    EXPECT_EQ(form.BalloonTitle, "NO GPS Rx");
    EXPECT_EQ(form.FixTime, FixFields{});

    const std::vector<std::tuple<std::string, std::string, std::string>> altitudes = {
        {"545.4", "1,789 feet", "545 meters"},
        {"-12.6", "-41 feet", "-13 meters"},
        {"12345.6", "40,504 feet", "12,346 meters"},
        {"2.5", "8 feet", "3 meters"},
        {"-2.5", "-8 feet", "-3 meters"},
        {"-0.1", "0 feet", "0 meters"},
        {"", "0 feet", "0 meters"},
        {"12x", "39 feet", "12 meters"},
        {"1234567", "4,050,417 feet", "1,234,567 meters"},
        {"50000", "164,042 feet", "50,000 meters"},  // 164,040 with the $PGRMZ constant
    };
    for (const auto& [altitude, feet, meters] : altitudes) {
        form.DisplayFeet.setChecked(true);
        f.receive(gga("4807.0380", "01131.0000", altitude));
        EXPECT_EQ(form.GPSAltitude.text(), feet) << altitude;
        form.DisplayFeet.setChecked(false);
        f.receive(gga("4807.0380", "01131.0000", altitude));
        EXPECT_EQ(form.GPSAltitude.text(), meters) << altitude;
    }
}

TEST_F(Decoder, CoordinatesRoundHalvesAwayFromZeroAndInventNoDigits) {
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
        {"512.5", "1131", "N 05:12.5000", "E 011:31.0000"},
        {"4807.03805", "01131.00004", "N 48:07.0381", "E 011:31.0000"},
        {"4809.99995", "09999.99996", "N 48:10.0000", "E 100:00.0000"},
        {"004807.038", "1.5", "N 48:07.0380", "E 000:01.5000"},
        {"", "ABC", "", ""},
        {"48O7.0380", "011.31.00", "", ""},
    };
    for (const auto& [latitude, longitude, shownLatitude, shownLongitude] : cases) {
        f.receive(gga(latitude, longitude, "545.4"));
        EXPECT_EQ(form.GPSLatitude.text(), shownLatitude) << latitude;
        EXPECT_EQ(form.GPSLongitude.text(), shownLongitude) << longitude;
    }
}

// Before a fix the hemispheres are empty, and stepping over them as one character each reads
// the quality from the satellite count and the altitude from its unit field.
TEST_F(Decoder, GgaWithEmptyPositionFieldsIsSteppedAsReceiversSendIt) {
    form.FixStaleCount = 4;
    f.receive("$GPGGA,043636.00,,,,,0,00,,,M,,M,,*4C");
    EXPECT_EQ(form.FixStaleCount, 4);
    EXPECT_EQ(form.GPSAltitude.text(), "0 feet");
    EXPECT_EQ(form.GPSLatitude.text(), "");
    EXPECT_EQ(form.GPSLongitude.text(), "");
}

TEST_F(Decoder, PgrmzShowsItsFeetOrConvertsWithItsOwnConstant) {
    f.receive("$PGRMZ,1789,f,3*2C");
    EXPECT_EQ(form.GPSAltitude.text(), "1,789 feet");
    EXPECT_EQ(form.FixStaleCount, 9);
    form.DisplayFeet.setChecked(false);
    f.receive("$PGRMZ,1789,f,3*2C");
    EXPECT_EQ(form.GPSAltitude.text(), "545 meters");
    f.receive("$PGRMZ,164042,f,3");  // 50,000 with the inverse of the $GPGGA factor
    EXPECT_EQ(form.GPSAltitude.text(), "50,001 meters");
    f.receive("$PGRMZ,-30,f,2*04");
    EXPECT_EQ(form.GPSAltitude.text(), "-9 meters");
    f.receive("$PGRMZ,,f,1*29");
    EXPECT_EQ(form.GPSAltitude.text(), "");
    f.receive("$PGRMZ,12x,f,1");
    EXPECT_EQ(form.GPSAltitude.text(), "");
    EXPECT_EQ(form.FixStaleCount, 4);
}

TEST_F(Decoder, PgrmfShowsPositionAndKeepsTheAltitude) {
    f.receive("$PGRMZ,1789,f,3*2C");
    f.receive("$PGRMF,2450,302196,061226,043636,18,4807.0380,N,01131.0000,E,A,2,0,0,2,1*2B");
    EXPECT_EQ(displays(form), (std::vector<std::string>{"6 Dec 26  0436:36", "N 48:07.0380",
                                                        "E 011:31.0000", "1,789 feet"}));
    EXPECT_EQ(form.FixStaleCount, 9 - 3 - 1);
    // The whole hemisphere field is shown, whatever it holds.
    f.receive("$PGRMF,2450,302196,061226,043636,18,4807.0380,Nx,01131.0000,,A,0,0,0,2,1");
    EXPECT_EQ(form.GPSLatitude.text(), "Nx 48:07.0380");
    EXPECT_EQ(form.GPSLongitude.text(), " 011:31.0000");
    EXPECT_EQ(form.FixStaleCount, 9);
}

// The unit menus leave conversion to the next line: the restart empties the display, saves
// the choice and starts the counts again.
TEST_F(Decoder, AltitudeUnitMenusRestartAndTheNextLineShowsTheNewUnit) {
    const std::string line = gga("4807.0380", "01131.0000", "545.4");
    f.receive(line);
    ASSERT_EQ(form.GPSAltitude.text(), "1,789 feet");
    form.DisplayMeters.click();
    EXPECT_TRUE(form.DisplayMeters.checked());
    EXPECT_FALSE(form.DisplayFeet.checked());
    EXPECT_EQ(displays(form), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(form.FixStaleCount, 10);
    EXPECT_EQ(form.RxStaleCount, 10);
    EXPECT_NE(f.files.files[f.settingsPath()].find("<ALTITUDE_FEET>False</ALTITUDE_FEET>"),
              std::string::npos);
    f.receive(line);
    EXPECT_EQ(form.GPSAltitude.text(), "545 meters");

    form.DisplayFeet.click();
    EXPECT_TRUE(form.DisplayFeet.checked());
    EXPECT_FALSE(form.DisplayMeters.checked());
    EXPECT_EQ(form.GPSAltitude.text(), "");
    EXPECT_NE(f.files.files[f.settingsPath()].find("<ALTITUDE_FEET>True</ALTITUDE_FEET>"),
              std::string::npos);
    form.DisplayFeet.click();  // already checked: restarts and saves all the same
    EXPECT_EQ(f.files.writes, 3);
}

}  // namespace
}  // namespace quorvane::testing
