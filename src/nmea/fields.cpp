#include "nmea/fields.h"

#include <charconv>
#include <limits>
#include <string>

namespace quorvane::nmea {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of the text (sign, digits, one point), 0 if none.
std::size_t numberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return digits == 0 ? 0 : i;
}

}  // namespace

std::optional<std::vector<std::size_t>> findCommas(std::string_view line, std::size_t count,
                                                   std::size_t from) {
    std::vector<std::size_t> commas;
    commas.reserve(count);
    while (commas.size() < count) {
        const std::size_t at = line.find(',', from);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        commas.push_back(at);
        from = at + 1;
    }
    return commas;
}

std::string_view between(std::string_view line, std::size_t open, std::size_t close) {
    return line.substr(open + 1, close - open - 1);
}

std::string_view cut(std::string_view text, std::size_t start, std::size_t length) {
    return start >= text.size() ? std::string_view() : text.substr(start, length);
}

bool isDecimalNumber(std::string_view text) {
    return !text.empty() && numberLength(text) == text.size();
}

std::optional<double> leadingNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(start);
    const std::size_t length = numberLength(text);
    if (length == 0) {
        return std::nullopt;
    }
    // from_chars ignores the locale (a desktop may use a decimal comma) but takes no '+'.
    std::string number(text.substr(0, length));
    if (number.front() == '+') {
        number.erase(0, 1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Out of range one way or the other: a digit other than 0 before the point is too large.
        const std::string whole = number.substr(0, number.find('.'));
        if (whole.find_first_not_of("-0") == std::string::npos) {
            return 0.0;
        }
        const double infinity = std::numeric_limits<double>::infinity();
        return whole.front() == '-' ? -infinity : infinity;
    }
    if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace quorvane::nmea
