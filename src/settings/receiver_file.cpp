#include "settings/receiver_file.h"

#include <algorithm>

#include "settings/settings_reader.h"

namespace quorvane {

namespace {

constexpr std::string_view kDelayTag = "RECEIVER_DELAY_MS";

// Digits only: no sign, no spaces, no fraction.
std::optional<int> delayValue(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        // Held just above the limit, so no run of digits can overflow.
        value = std::min(value * 10 + (c - '0'), kMaxReceiverDelayMs + 1);
    }
    if (value > kMaxReceiverDelayMs) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int> readReceiverDelay(std::string_view bytes) {
    std::optional<int> delay;
    readSettingsEntries(bytes, [&delay](std::string_view tag, const std::string& value) {
        if (tag == kDelayTag) {
            delay = delayValue(value);
        }
    });
    return delay;
}

std::string formatReceiverFile(int delayMs) {
    const std::string tag(kDelayTag);
    return "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
           "<!--Quorvane: how long after the second it names the receiver begins to send-->\r\n"
           "<" +
           tag + ">" + std::to_string(delayMs) + "</" + tag + ">\r\n";
}

}  // namespace quorvane
