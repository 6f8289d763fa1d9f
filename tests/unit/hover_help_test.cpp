#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

TEST(HoverHelp, EachFixDisplayShowsTheCurrentContentAtItselfOnEveryMovement) {
    FormFixture f;
    f.load();
    f.form.BalloonText = "$GPGGA,1\r\n$GPRMC,2\r\n";
    f.form.BalloonTitle = "NMEA-0183";
    f.form.BalloonIcon = 0;

    f.form.GPSAltitude_MouseMove(0, 0, 1, 1);
    f.form.GPSLatitude_MouseMove(0, 0, 1, 1);
    f.form.GPSLongitude_MouseMove(0, 0, 1, 1);
    f.form.TimeGPS_MouseMove(0, 0, 1, 1);
    f.form.BalloonTitle = "FIX NOT VALID";
    f.form.BalloonIcon = 2;
    f.form.TimeGPS_MouseMove(0, 0, 2, 1);  // a small movement shows again, with the new state

    ASSERT_EQ(f.balloon.shows.size(), 5u);
    EXPECT_EQ(f.balloon.modes, (std::vector<std::int32_t>{0, 0, 0, 0, 0}));
    const WindowHandle expected[] = {f.form.GPSAltitude.hWnd(), f.form.GPSLatitude.hWnd(),
                                     f.form.GPSLongitude.hWnd(), f.form.TimeGPS.hWnd(),
                                     f.form.TimeGPS.hWnd()};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(f.balloon.shows[i].at, expected[i]) << i;
        EXPECT_EQ(f.balloon.shows[i].text, "$GPGGA,1\r\n$GPRMC,2\r\n");
        EXPECT_EQ(f.balloon.shows[i].timeout, 200);
    }
    EXPECT_EQ(f.balloon.shows[3].title, "NMEA-0183");
    EXPECT_EQ(f.balloon.shows[3].iconStyle, 0);
    EXPECT_EQ(f.balloon.shows[4].title, "FIX NOT VALID");
    EXPECT_EQ(f.balloon.shows[4].iconStyle, 2);
}

}  // namespace
}  // namespace quorvane::testing
