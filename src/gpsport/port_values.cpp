#include "gpsport/port_values.h"

#include <charconv>
#include <limits>
#include <utility>

namespace quorvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::int16_t codeOf(std::string_view text,
                    std::initializer_list<std::pair<std::string_view, std::int16_t>> table,
                    std::int16_t otherwise) {
    for (const auto& [known, code] : table) {
        if (text == known) {
            return code;
        }
    }
    return otherwise;
}

}  // namespace

double leadingNumber(std::string_view text) {
    // Gather the number without its blanks, then convert it independently of the locale.
    std::string number;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool seenPoint = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size()) {
            break;
        }
        if (isDigit(text[i])) {
            number += text[i];
        } else if (text[i] == '.' && !seenPoint) {
            seenPoint = true;
            number += '.';
        } else {
            break;
        }
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Huge when a non-zero digit stands before the point, otherwise too small to matter.
        const std::string whole = number.substr(0, number.find('.'));
        value = whole.find_first_not_of('0') == std::string::npos
                    ? 0.0
                    : std::numeric_limits<double>::max();
    } else if (result.ec != std::errc{}) {
        value = 0;
    }
    return negative && value != 0 ? -value : value;
}

double portNumberOfName(std::string_view name) {
    // Characters, not bytes: a name read from a hand-edited file may hold non-ASCII letters.
    std::size_t pos = 0;
    for (int skipped = 0; skipped < 3; ++skipped) {
        if (pos >= name.size()) {
            return 0;
        }
        ++pos;
        while (pos < name.size() && (static_cast<unsigned char>(name[pos]) & 0xC0) == 0x80) {
            ++pos;
        }
    }
    return leadingNumber(name.substr(pos));
}

double speedOfText(std::string_view text) {
    return leadingNumber(text);
}

std::int16_t parityCodeOfText(std::string_view text) {
    return codeOf(text, {{"None", 0}, {"Odd", 1}, {"Even", 2}, {"Mark", 3}, {"Space", 4}}, 0);
}

std::int16_t stopBitsCodeOfText(std::string_view text) {
    return codeOf(text, {{"1", 0}, {"1.5", 1}, {"2", 2}}, 0);
}

std::int16_t flowControlCodeOfText(std::string_view text) {
    return codeOf(text, {{"None", 0}, {"RTS/CTS", 1}, {"DSR/DTR", 2}, {"Xon/Xoff", 4}}, 0);
}

std::int16_t dataBitsOfText(std::string_view text) {
    return codeOf(text, {{"7", 7}, {"8", 8}}, 8);
}

}  // namespace quorvane
