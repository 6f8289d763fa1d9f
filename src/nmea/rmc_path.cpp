#include "nmea/fields.h"
#include "nmea/fix_time.h"
#include "nmea/sentence_paths.h"

namespace quorvane::nmea {

// $GPRMC,043636.00,A,4807.0380,N,01131.0000,E,0.0,0.0,061226,,,A*59
//   1 UTC time hhmmss.ss   2 status A/V (not consulted: a warning still carries the time)
//   3-6 position, 7 speed, 8 course (not used)   9 date ddmmyy
void decodeRmc(Form1& form, std::string_view sentence) {
    const auto commas = findCommas(sentence, 10);
    if (!commas) {
        return;
    }
    const auto& c = *commas;
    takeFixTime(form, sentence, between(sentence, c[0], c[1]), between(sentence, c[8], c[9]),
                "NMEA-0183");
}

}  // namespace quorvane::nmea
