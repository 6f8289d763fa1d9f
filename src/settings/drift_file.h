#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// What QuorvaneDrift.XML keeps: the option, and the clock's drift last measured (ppm, positive
// when it gains), used only as the starting point at the next start. While the program steers
// the rate it also keeps the rate it found in force before its first trim: a start that finds
// it there knows the rate in force was left by a copy that ended without letting go.
struct DriftFileValues {
    bool keepTime = false;
    std::optional<double> driftPpm;
    std::optional<double> foundRatePpm = std::nullopt;

    friend bool operator==(const DriftFileValues&, const DriftFileValues&) = default;
};

inline constexpr const char* kDriftFileName = "QuorvaneDrift.XML";

// The file's bytes: CR LF lines, one tag per line.
std::string formatDriftFile(const DriftFileValues& values);
// The values the bytes hold. A file cut short (no closing root line) gives the option off and no
// drift; a drift that is no number or beyond what a working clock does is left out. Files of
// earlier versions held a list of estimates: the newest one sound is taken as the drift.
DriftFileValues parseDriftFile(std::string_view bytes);

}  // namespace quorvane
