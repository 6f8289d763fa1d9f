#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane::nmea {

// Positions of the next `count` commas at or after `from`, found by searching forward; nullopt
// when the line holds fewer (a line cut short on the wire).
std::optional<std::vector<std::size_t>> findCommas(std::string_view line, std::size_t count,
                                                   std::size_t from = 0);

// The text strictly between two positions of the line (normally two commas).
std::string_view between(std::string_view line, std::size_t open, std::size_t close);

// Up to `length` characters from `start`; past the end of the text yields fewer or none.
std::string_view cut(std::string_view text, std::size_t start, std::size_t length);

// True when the whole text is a plain decimal number: an optional sign, digits, at most one
// point, at least one digit. Receivers send nothing else in number fields.
bool isDecimalNumber(std::string_view text);

// The decimal number the text begins with (blanks before it skipped), or nullopt when it
// begins with none. One too large for a double reads as an infinity of its sign, one too
// small as 0.
std::optional<double> leadingNumber(std::string_view text);

}  // namespace quorvane::nmea
