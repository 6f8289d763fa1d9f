#include "settings/drift_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "settings/settings_reader.h"

namespace quorvane {

namespace {

constexpr const char* kRoot = "DRIFT";
constexpr const char* kKeepTimeTag = "KEEP_TIME_BETWEEN_SETTINGS";
constexpr const char* kEstimateTag = "DRIFT_ESTIMATE_PPM";
constexpr double kLargestEstimatePpm = 500;

std::optional<double> estimateFrom(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value) ||
        std::abs(value) > kLargestEstimatePpm) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string formatDriftFile(const DriftFileValues& values) {
    std::string text = "<?xml version=\"1.0\" standalone=\"no\"?>\r\n";
    text += std::string(" <") + kRoot + ">\r\n";
    text += std::string("   <") + kKeepTimeTag + ">" + (values.keepTime ? "True" : "False") +
            "</" + kKeepTimeTag + ">\r\n";
    for (double ppm : values.estimatesPpm) {
        char number[32];
        std::snprintf(number, sizeof number, "%.4f", ppm);
        text += std::string("   <") + kEstimateTag + ">" + number + "</" + kEstimateTag + ">\r\n";
    }
    text += std::string(" </") + kRoot + ">\r\n";
    return text;
}

DriftFileValues parseDriftFile(std::string_view bytes) {
    DriftFileValues values;
    bool garbled = false;
    readSettingsEntries(bytes, [&](std::string_view tag, const std::string& value) {
        if (tag == kKeepTimeTag) {
            values.keepTime = value == "True";
        } else if (tag == kEstimateTag) {
            const std::optional<double> ppm = estimateFrom(value);
            garbled = garbled || !ppm;
            if (ppm) {
                values.estimatesPpm.push_back(*ppm);
            }
        }
    });
    // A file cut short by a failed write lacks its last line: trust none of it.
    const std::string closing = std::string(" </") + kRoot + ">";
    if (garbled || bytes.find(closing) == std::string_view::npos) {
        return {};
    }
    return values;
}

}  // namespace quorvane
