#pragma once

#include <string_view>

namespace quorvane::nmea {

// True when the sentence carries no checksum, or carries a correct one: "*" and two hex digits
// (either case) ending the line, equal to the XOR of every byte between "$" and "*". Only the
// clock depends on this; the display and the lamps take every line as it comes.
bool checksumCorrectOrAbsent(std::string_view sentence);

}  // namespace quorvane::nmea
