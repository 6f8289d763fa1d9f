#include "clock/receiver_delay_messages.h"

#include <cstdio>

#include "settings/receiver_file.h"
#include "settings/settings_error_messages.h"

namespace quorvane {

namespace {

constexpr const char* kNotChanged = "The receiver delay was not changed.";

std::string refusal(const std::string& why) {
    return why + "\n\n" + kNotChanged;
}

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// "152 ms (spread 1.3 ms, 30 bursts)".
std::string measuredDelay(const DelayVerdict& verdict) {
    return std::to_string(verdict.delayMs) + " ms (spread " + oneDecimal(verdict.spreadMs) +
           " ms, " + std::to_string(verdict.bursts) + " bursts)";
}

}  // namespace

std::string usingDelayCaption(int delayMs) {
    return "Using " + std::to_string(delayMs) + " ms";
}

std::string delayProgressText(std::size_t bursts) {
    return "Measuring the receiver delay: burst " + std::to_string(bursts) + " of " +
           std::to_string(kDelayBursts);
}

std::string delayVerdictMessage(const DelayVerdict& verdict) {
    switch (verdict.outcome) {
        case DelayOutcome::Accepted:
            return "Receiver delay " + measuredDelay(verdict);
        case DelayOutcome::TooFewBursts:
            return refusal("Only " + std::to_string(verdict.bursts) +
                           " bursts with a sound GPS fix arrived in " +
                           std::to_string(kDelayMeasureTime.count()) + " seconds; at least " +
                           std::to_string(kMinDelayBursts) + " are needed.");
        case DelayOutcome::SpreadTooWide:
            return refusal("The delay varied too much from burst to burst (spread " +
                           oneDecimal(verdict.spreadMs) + " ms, more than " +
                           oneDecimal(kMaxDelaySpreadMs) +
                           " ms): the computer clock may have been moving, or the receiver does "
                           "not send at a steady time.");
        case DelayOutcome::OutOfRange:
            return refusal("The measured delay, " + std::to_string(verdict.delayMs) +
                           " ms, is outside 0 to " + std::to_string(kMaxReceiverDelayMs) +
                           " ms: the computer clock is probably not right, or the receiver is "
                           "odd.");
    }
    return kNotChanged;
}

std::string delayNoValidFixMessage() {
    return refusal(
        "There is no valid GPS fix with a correct checksum to measure against. Wait until the "
        "fix lamp is green.");
}

std::string delayChecksumFailedMessage() {
    return refusal(
        "The newest GPS fix failed its checksum: the line from the receiver is not "
        "clean enough to measure on.");
}

std::string delayNotAdvancingMessage() {
    return refusal(
        "The GPS fix time did not advance from one burst to the next: the receiver "
        "is not reporting a running time.");
}

std::string delayUnsyncedClockQuestion() {
    return "The system says the computer clock is not synchronised. The receiver delay is "
           "measured against the computer clock, so that clock must be right (set over the "
           "network, for example) or the delay will be wrong.\n\nMeasure anyway?";
}

std::string delayNetworkClockQuestion() {
    return "The receiver delay is measured against the computer clock. Make sure the clock was "
           "set over the network (internet time) shortly before, or the delay will be "
           "wrong.\n\nMeasure now?";
}

std::string delayEnterQuestion() {
    return "Receiver delay in milliseconds (0 to " + std::to_string(kMaxReceiverDelayMs) + "):";
}

std::string delayMeasuredNotSavedMessage(const DelayVerdict& verdict,
                                         const std::string& saveFailure) {
    return saveFailure + "\n\nThe measurement gave " + measuredDelay(verdict) + ".";
}

std::string delaySaveFailedMessage(int errorNumber, const std::string& path,
                                   std::optional<int> inUseMs) {
    return "The receiver delay could not be saved: " + settingsErrorMessage(errorNumber) +
           "\nFile: " + path + "\n\nIn use: " +
           (inUseMs ? std::to_string(*inUseMs) + " ms." : std::string("no delay."));
}

}  // namespace quorvane
