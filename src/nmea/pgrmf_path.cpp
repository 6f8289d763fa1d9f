#include "nmea/fields.h"
#include "nmea/fix_time.h"
#include "nmea/number_formats.h"
#include "nmea/sentence_paths.h"

namespace quorvane::nmea {

// $PGRMF,2450,302196,061226,043636,18,4807.0380,N,01131.0000,E,A,2,0,0,2,1*2B
//   1 GPS week   2 GPS seconds   3 UTC date ddmmyy   4 UTC time hhmmss   5 leap seconds
//   6 latitude ddmm.mmmm   7 N/S   8 longitude dddmm.mmmm   9 E/W   10 mode
//   11 fix type (0 none, 1 2-D, 2 3-D)   12 speed   13 course   14 PDOP   15 TDOP
void decodePgrmf(Form1& form, std::string_view sentence) {
    const auto commas = findCommas(sentence, 12);
    if (!commas) {
        return;
    }
    // Field n lies between comma n and comma n + 1 (zero-based c[n - 1] and c[n]).
    const auto field = [&](std::size_t n) {
        return between(sentence, (*commas)[n - 1], (*commas)[n]);
    };
    form.GPSLatitude.setText(coordinateText(field(7), field(6), 4));
    form.GPSLongitude.setText(coordinateText(field(9), field(8), 5));
    applyFixReport(form.FixStaleCount, field(11), {"2"});
    takeFixTime(form, sentence, field(4), field(3), "GARMIN");
}

}  // namespace quorvane::nmea
