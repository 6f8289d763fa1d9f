#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The receiver file beside the program. Kept apart from the settings file, whose lines never
// change for it.
inline constexpr const char* kReceiverFileName = "QuorvaneReceiver.XML";

// Whole milliseconds a receiver may send its burst after the second it names.
inline constexpr int kMaxReceiverDelayMs = 990;

// The receiver delay the file's bytes hold. The lines follow the settings file's rules, and the
// last RECEIVER_DELAY_MS line decides. nullopt (no delay) when there is none, or when its value is
// not a whole number from 0 to kMaxReceiverDelayMs.
std::optional<int> readReceiverDelay(std::string_view bytes);

// The whole file: CR LF lines, the delay on a line of its own.
std::string formatReceiverFile(int delayMs);

}  // namespace quorvane
