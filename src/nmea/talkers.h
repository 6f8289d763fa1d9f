#pragma once

#include <string_view>

#include "app/form1.h"

namespace quorvane::nmea {

// Receivers that track several satellite systems name their fixes after them ($GNRMC, $GLGGA).
// With "Accept All Satellite Systems" checked their RMC and GGA take the paths of $GPRMC and
// $GPGGA.
void decodeOtherSystem(Form1& form, std::string_view sentence);

// While the item is unchecked, watches for a receiver that names its fixes only that way, and
// tells the user once per start how to read them.
void watchTalkers(Form1& form, std::string_view sentence);

}  // namespace quorvane::nmea
