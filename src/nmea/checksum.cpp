#include "nmea/checksum.h"

#include <optional>

namespace quorvane::nmea {

namespace {

std::optional<unsigned> hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return std::nullopt;
}

}  // namespace

bool checksumCorrectOrAbsent(std::string_view sentence) {
    const std::size_t star = sentence.find('*');
    if (star == std::string_view::npos) {
        return true;
    }
    // Anything after the two digits (a spliced sentence) makes the line untrustworthy.
    if (sentence.size() != star + 3) {
        return false;
    }
    const auto high = hexValue(sentence[star + 1]);
    const auto low = hexValue(sentence[star + 2]);
    if (!high || !low) {
        return false;
    }
    const std::size_t start = !sentence.empty() && sentence.front() == '$' ? 1 : 0;
    unsigned sum = 0;
    for (std::size_t i = start; i < star; ++i) {
        sum ^= static_cast<unsigned char>(sentence[i]);
    }
    return sum == (*high << 4 | *low);
}

}  // namespace quorvane::nmea
