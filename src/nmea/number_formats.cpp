#include "nmea/number_formats.h"

#include <cmath>
#include <cstdio>

#include "nmea/fields.h"

namespace quorvane::nmea {

namespace {

// Adds one to a string of decimal digits.
std::string incremented(std::string digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}

// The first whole number of ten digits, too wide for the altitude display.
constexpr double kTooWideToShow = 1e9;

}  // namespace

std::string formatCoordinate(std::string_view field, int wholeDigits) {
    if (!isDecimalNumber(field)) {
        return {};
    }
    // Rounded on the decimal text itself, so 4807.03805 rounds up as written rather than as
    // the nearest binary double happens to fall.
    const bool negative = field.front() == '-';
    if (field.front() == '-' || field.front() == '+') {
        field.remove_prefix(1);
    }
    const std::size_t point = field.find('.');
    std::string whole(field.substr(0, point));
    std::string fraction =
        point == std::string_view::npos ? "" : std::string(field.substr(point + 1));
    fraction.resize(std::max<std::size_t>(fraction.size(), 5), '0');
    const bool roundUp = fraction[4] >= '5';
    fraction.resize(4);
    if (roundUp) {
        std::string digits = incremented(whole + fraction);
        fraction = digits.substr(digits.size() - 4);
        whole = digits.substr(0, digits.size() - 4);
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() < static_cast<std::size_t>(wholeDigits)) {
        whole.insert(0, static_cast<std::size_t>(wholeDigits) - whole.size(), '0');
    }
    whole.insert(whole.size() - 2, ":");
    const bool zero = whole.find_first_not_of("0:") == std::string::npos &&
                      fraction.find_first_not_of('0') == std::string::npos;
    return (negative && !zero ? "-" : "") + whole + "." + fraction;
}

std::string coordinateText(std::string_view hemisphere, std::string_view field, int wholeDigits) {
    const std::string number = formatCoordinate(field, wholeDigits);
    return number.empty() ? std::string() : std::string(hemisphere) + " " + number;
}

std::string altitudeText(double value, std::string_view unit) {
    const double rounded = std::round(value);  // halves away from zero
    if (!std::isfinite(rounded) || std::fabs(rounded) >= kTooWideToShow) {
        return {};
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(rounded));
    const std::string digits = buffer;
    std::string text = rounded < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text + std::string(unit);
}

}  // namespace quorvane::nmea
