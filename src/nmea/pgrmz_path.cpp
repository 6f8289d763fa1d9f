#include "app/counters.h"
#include "nmea/fields.h"
#include "nmea/number_formats.h"
#include "nmea/sentence_paths.h"

namespace quorvane::nmea {

namespace {
// Feet to meters for this sentence; deliberately not the inverse of the $GPGGA factor.
constexpr double kFeetPerMeter = 3.2808;
}  // namespace

// $PGRMZ,1789,f,3*2C
//   1 altitude in feet   2 unit "f" (not read)   3 fix dimension (not read)
void decodePgrmz(Form1& form, std::string_view sentence) {
    const auto commas = findCommas(sentence, 2);
    if (!commas) {
        return;
    }
    const std::string_view altitude = between(sentence, (*commas)[0], (*commas)[1]);
    // No altitude in the field (before a fix) shows as none rather than as 0.
    const auto feet = isDecimalNumber(altitude) ? leadingNumber(altitude) : std::nullopt;
    if (!feet) {
        form.GPSAltitude.setText("");
    } else if (form.DisplayFeet.checked()) {
        form.GPSAltitude.setText(altitudeText(*feet, " feet"));
    } else {
        form.GPSAltitude.setText(altitudeText(*feet / kFeetPerMeter, " meters"));
    }
    addToCount(form.FixStaleCount, -1);
}

}  // namespace quorvane::nmea
