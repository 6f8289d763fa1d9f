#include "settings/drift_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "keeping/keeping_engine.h"
#include "settings/settings_reader.h"

namespace quorvane {

namespace {

constexpr const char* kRoot = "DRIFT";
constexpr const char* kKeepTimeTag = "KEEP_TIME_BETWEEN_SETTINGS";
constexpr const char* kDriftTag = "DRIFT_PPM";
constexpr const char* kFoundRateTag = "RATE_FOUND_PPM";
// Earlier versions: "23.4000 ppm over 24.0000 h", one line per estimate, oldest first.
constexpr const char* kEstimateTag = "DRIFT_ESTIMATE";

// A plausible drift at the front of the text, followed by nothing or by `rest`.
std::optional<double> driftFrom(std::string_view text, std::string_view rest,
                                double limitPpm = KeepingEngine::kPlausiblePpm) {
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value) || std::abs(value) > limitPpm) {
        return std::nullopt;
    }
    const std::string_view after = text.substr(static_cast<std::size_t>(stop - text.data()));
    if (rest.empty() ? !after.empty() : after.substr(0, rest.size()) != rest) {
        return std::nullopt;
    }
    return value;
}

std::string entry(const char* tag, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return std::string("   <") + tag + ">" + text + "</" + tag + ">\r\n";
}

}  // namespace

std::string formatDriftFile(const DriftFileValues& values) {
    std::string text = "<?xml version=\"1.0\" standalone=\"no\"?>\r\n";
    text += std::string(" <") + kRoot + ">\r\n";
    text += std::string("   <") + kKeepTimeTag + ">" + (values.keepTime ? "True" : "False") + "</" +
            kKeepTimeTag + ">\r\n";
    if (values.driftPpm) {
        text += entry(kDriftTag, *values.driftPpm);
    }
    if (values.foundRatePpm) {
        text += entry(kFoundRateTag, *values.foundRatePpm);
    }
    text += std::string(" </") + kRoot + ">\r\n";
    return text;
}

DriftFileValues parseDriftFile(std::string_view bytes) {
    DriftFileValues values;
    std::optional<double> drift, newestEstimate;
    readSettingsEntries(bytes, [&](std::string_view tag, const std::string& value) {
        if (tag == kKeepTimeTag) {
            values.keepTime = value == "True";
        } else if (tag == kDriftTag) {
            drift = driftFrom(value, "");
        } else if (tag == kFoundRateTag) {
            values.foundRatePpm = driftFrom(value, "", KeepingEngine::kLimitPpm);
        } else if (tag == kEstimateTag) {
            if (const std::optional<double> estimate = driftFrom(value, " ppm over ")) {
                newestEstimate = estimate;
            }
        }
    });
    // A file cut short by a failed write lacks its last line: trust none of it.
    const std::string closing = std::string(" </") + kRoot + ">";
    if (bytes.find(closing) == std::string_view::npos) {
        return {};
    }
    values.driftPpm = drift ? drift : newestEstimate;
    return values;
}

}  // namespace quorvane
