#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What QuorvaneDrift.XML keeps: the option and the drift estimates learned, oldest first.
struct DriftFileValues {
    bool keepTime = false;
    std::vector<double> estimatesPpm;

    friend bool operator==(const DriftFileValues&, const DriftFileValues&) = default;
};

inline constexpr const char* kDriftFileName = "QuorvaneDrift.XML";

// The file's bytes: CR LF lines, one tag per line.
std::string formatDriftFile(const DriftFileValues& values);
// The values the bytes hold. Anything garbled (an estimate that is not a number within the
// bound, no closing root line) gives the option off and nothing learned.
DriftFileValues parseDriftFile(std::string_view bytes);

}  // namespace quorvane
