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
constexpr const char* kEstimateTag = "DRIFT_ESTIMATE";
constexpr std::string_view kPpmOver = " ppm over ";
constexpr std::string_view kHours = " h";

// A finite number at the front of text, which moves past it.
std::optional<double> number(std::string_view& text) {
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(stop - text.data()));
    return value;
}

bool skip(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected) {
        return false;
    }
    text.remove_prefix(expected.size());
    return true;
}

// "23.4000 ppm over 24.00 h"
std::optional<DriftEstimate> estimateFrom(std::string_view text) {
    const std::optional<double> ppm = number(text);
    if (!ppm || !skip(text, kPpmOver)) {
        return std::nullopt;
    }
    const std::optional<double> hours = number(text);
    if (!hours || !skip(text, kHours) || !text.empty() ||
        std::abs(*ppm) > DriftLearner::kImplausiblePpm ||
        *hours < DriftLearner::kShortestIntervalHours) {
        return std::nullopt;
    }
    return DriftEstimate{*ppm, *hours};
}

}  // namespace

std::string formatDriftFile(const DriftFileValues& values) {
    std::string text = "<?xml version=\"1.0\" standalone=\"no\"?>\r\n";
    text += std::string(" <") + kRoot + ">\r\n";
    text += std::string("   <") + kKeepTimeTag + ">" + (values.keepTime ? "True" : "False") + "</" +
            kKeepTimeTag + ">\r\n";
    for (const DriftEstimate& e : values.estimates) {
        char value[64];
        std::snprintf(value, sizeof value, "%.4f ppm over %.4f h", e.ppm, e.hours);
        text += std::string("   <") + kEstimateTag + ">" + value + "</" + kEstimateTag + ">\r\n";
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
            const std::optional<DriftEstimate> estimate = estimateFrom(value);
            garbled = garbled || !estimate;
            if (estimate) {
                values.estimates.push_back(*estimate);
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
