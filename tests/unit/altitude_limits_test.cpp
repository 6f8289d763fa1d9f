#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

// One rule for both sentences: a number the display cannot show (too large for a double, or
// of ten digits and more in the unit shown) shows nothing. Text that is no number keeps each
// sentence's own rule: 0 for $GPGGA, nothing for $PGRMZ.
TEST_F(Decoder, AltitudesTheDisplayCannotShowAreEmptyInBothSentences) {
    struct Case {
        std::string field, ggaFeet, ggaMeters, pgrmzFeet, pgrmzMeters;
    };
    const std::string nines(400, '9');
    const std::vector<Case> cases = {
        {"1789", "5,869 feet", "1,789 meters", "1,789 feet", "545 meters"},
        {nines, "", "", "", ""},
        {"-" + nines, "", "", "", ""},
        {"1" + std::string(20, '0'), "", "", "", ""},
        {"999999999", "", "999,999,999 meters", "999,999,999 feet", "304,803,706 meters"},
        {"-999999999.6", "", "", "", "-304,803,706 meters"},
        {"0." + std::string(400, '0') + "1", "0 feet", "0 meters", "0 feet", "0 meters"},
        {"nan", "0 feet", "0 meters", "", ""},
        {"inf", "0 feet", "0 meters", "", ""},
        {"1e20", "3 feet", "1 meters", "", ""},
    };
    for (const Case& c : cases) {
        const std::string gga =
            "$GPGGA,043636.00,4807.0380,N,01131.0000,E,1,08,0.9," + c.field + ",M,46.9,M,,";
        const std::string pgrmz = "$PGRMZ," + c.field + ",f,3";
        for (const bool feet : {true, false}) {
            form.DisplayFeet.setChecked(feet);
            f.receive(gga);
            EXPECT_EQ(form.GPSAltitude.text(), feet ? c.ggaFeet : c.ggaMeters)
                << c.field.substr(0, 30) << (feet ? " $GPGGA feet" : " $GPGGA meters");
            f.receive(pgrmz);
            EXPECT_EQ(form.GPSAltitude.text(), feet ? c.pgrmzFeet : c.pgrmzMeters)
                << c.field.substr(0, 30) << (feet ? " $PGRMZ feet" : " $PGRMZ meters");
        }
    }
}

}  // namespace
}  // namespace quorvane::testing
