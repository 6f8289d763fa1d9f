#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "clock/receiver_delay.h"

namespace quorvane {

// What the user is told about measuring and choosing the receiver delay.

// "Using 152 ms", the menu's checked item.
std::string usingDelayCaption(int delayMs);
std::string delayProgressText(std::size_t bursts);
// "Receiver delay 152 ms (spread 1.3 ms, 30 bursts)" for an accepted verdict; otherwise why
// there is none. Refusals end by saying the delay was not changed.
std::string delayVerdictMessage(const DelayVerdict& verdict);

std::string delayNoValidFixMessage();
std::string delayChecksumFailedMessage();
std::string delayNotAdvancingMessage();
// The kernel says nobody vouches for the clock; asks whether to measure anyway.
std::string delayUnsyncedClockQuestion();
// The system does not say whether the clock is right; asks the user to make sure it is.
std::string delayNetworkClockQuestion();
std::string delayEnterQuestion();
// A measured delay that could not be saved: the failure first, since the value is not in use.
std::string delayMeasuredNotSavedMessage(const DelayVerdict& verdict,
                                         const std::string& saveFailure);
// The receiver file could not be written; says which delay stays in use.
std::string delaySaveFailedMessage(int errorNumber, const std::string& path,
                                   std::optional<int> inUseMs);

}  // namespace quorvane
