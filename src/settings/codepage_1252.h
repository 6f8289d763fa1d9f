#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The settings file is 8-bit Windows-1252 text; the program's strings are UTF-8.

// Every byte maps to one character. The five bytes Windows-1252 leaves undefined (81, 8D, 8F,
// 90, 9D) become the control characters of the same number, so they survive a round trip.
std::string windows1252ToUtf8(std::string_view bytes);

// A character Windows-1252 cannot hold, or a byte that is not valid UTF-8, becomes '?'.
std::string utf8ToWindows1252(std::string_view text);

}  // namespace quorvane
