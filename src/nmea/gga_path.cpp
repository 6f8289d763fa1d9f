#include "app/counters.h"
#include "nmea/fields.h"
#include "nmea/fix_time.h"
#include "nmea/number_formats.h"
#include "nmea/sentence_paths.h"

namespace quorvane::nmea {

namespace {
// Meters to feet for this sentence; $PGRMZ converts the other way with its own constant.
constexpr double kFeetPerMeter = 3.28083989501312;
}  // namespace

// $GPGGA,043636.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*60
//   1 UTC time (not used)   2 latitude ddmm.mmmm   3 N/S   4 longitude dddmm.mmmm   5 E/W
//   6 fix quality (0 none, 1 GPS, 2 DGPS, 3 PPS)   7 satellites   8 HDOP   9 altitude
//   10 unit "M" (not read)   11-14 geoid separation, DGPS age and station (not used)
// The hemisphere fields are stepped over as one character each, not searched: before a fix,
// when they are empty, the fields after the latitude are read one place late, so the fix
// quality comes from the satellite count and the altitude from its unit field.
void decodeGga(Form1& form, std::string_view sentence) {
    const auto first = findCommas(sentence, 3);
    if (!first) {
        return;
    }
    const std::size_t p = (*first)[2];  // ends the latitude
    const std::size_t longitudeStart = p + 3;
    const std::size_t q = sentence.find(',', longitudeStart);  // ends the longitude
    if (q == std::string_view::npos) {
        return;
    }
    const std::size_t qualityStart = q + 3;
    // The comma ending the fix quality, then three more; the altitude lies between the last two.
    const auto rest = findCommas(sentence, 4, qualityStart);
    if (!rest) {
        return;
    }
    const auto& r = *rest;

    form.GPSLatitude.setText(
        coordinateText(cut(sentence, p + 1, 1), between(sentence, (*first)[1], p), 4));
    form.GPSLongitude.setText(coordinateText(
        cut(sentence, q + 1, 1), sentence.substr(longitudeStart, q - longitudeStart), 5));
    applyFixReport(form.FixStaleCount, sentence.substr(qualityStart, r[0] - qualityStart),
                   {"2", "3"});
    // Read as meters whatever the unit field says; no number reads as 0.
    const double meters = leadingNumber(between(sentence, r[2], r[3])).value_or(0.0);
    form.GPSAltitude.setText(form.DisplayFeet.checked()
                                 ? altitudeText(meters * kFeetPerMeter, " feet")
                                 : altitudeText(meters, " meters"));
}

}  // namespace quorvane::nmea
