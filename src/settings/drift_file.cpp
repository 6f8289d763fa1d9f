#include "settings/drift_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "keeping/keeping_engine.h"
#include "settings/option_file.h"

namespace quorvane {

namespace {

constexpr const char* kRoot = "DRIFT";
constexpr const char* kKeepTimeTag = "KEEP_TIME_BETWEEN_SETTINGS";
constexpr const char* kDriftTag = "DRIFT_PPM";
// Earlier versions: "23.4000 ppm over 24.0000 h", one line per estimate, oldest first.
constexpr const char* kEstimateTag = "DRIFT_ESTIMATE";

// A plausible drift at the front of the text, followed by nothing or by `rest`.
std::optional<double> driftFrom(std::string_view text, std::string_view rest) {
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value) ||
        std::abs(value) > KeepingEngine::kPlausiblePpm) {
        return std::nullopt;
    }
    const std::string_view after = text.substr(static_cast<std::size_t>(stop - text.data()));
    if (rest.empty() ? !after.empty() : after.substr(0, rest.size()) != rest) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string formatDriftFile(const DriftFileValues& values) {
    std::vector<OptionEntry> entries{{kKeepTimeTag, values.keepTime ? "True" : "False"}};
    if (values.driftPpm) {
        char value[32];
        std::snprintf(value, sizeof value, "%.4f", *values.driftPpm);
        entries.push_back({kDriftTag, value});
    }
    return formatOptionFile(kRoot, entries);
}

DriftFileValues parseDriftFile(std::string_view bytes) {
    const auto entries = parseOptionFile(kRoot, bytes);
    if (!entries) {
        return {};
    }
    DriftFileValues values;
    std::optional<double> drift, newestEstimate;
    for (const auto& [tag, value] : *entries) {
        if (tag == kKeepTimeTag) {
            values.keepTime = value == "True";
        } else if (tag == kDriftTag) {
            drift = driftFrom(value, "");
        } else if (tag == kEstimateTag) {
            if (const std::optional<double> estimate = driftFrom(value, " ppm over ")) {
                newestEstimate = estimate;
            }
        }
    }
    values.driftPpm = drift ? drift : newestEstimate;
    return values;
}

}  // namespace quorvane
