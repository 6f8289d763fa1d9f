#pragma once

#include <string>
#include <string_view>

namespace quorvane::nmea {

// Latitude "00:00.0000" and longitude "000:00.0000": the field ddmm.mmmm or dddmm.mmmm rounded
// to four decimals (halves away from zero), the whole part padded to `wholeDigits` digits with
// ":" before its last two. Empty when the field is not a number: no digits are made up.
std::string formatCoordinate(std::string_view field, int wholeDigits);

// The display text of a coordinate: the hemisphere, a space, the number; empty when the field
// is not a number.
std::string coordinateText(std::string_view hemisphere, std::string_view field, int wholeDigits);

// "###,##0" followed by the unit: rounded to a whole number (halves away from zero), digits
// grouped in threes, "-" when negative. Empty for a number the display cannot show, as for a
// coordinate that is no number: not finite, or of ten digits or more (999,999,999 is the widest
// shown; a satellite's own altitude has eight digits in feet, so no receiver sends more).
std::string altitudeText(double value, std::string_view unit);

}  // namespace quorvane::nmea
