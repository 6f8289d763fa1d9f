#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "clock/drift_learner.h"

namespace quorvane {

// What QuorvaneDrift.XML keeps: the option and the drift estimates learned, oldest first.
struct DriftFileValues {
    bool keepTime = false;
    std::vector<DriftEstimate> estimates;

    friend bool operator==(const DriftFileValues&, const DriftFileValues&) = default;
};

inline constexpr const char* kDriftFileName = "QuorvaneDrift.XML";

// The file's bytes: CR LF lines, one tag per line.
std::string formatDriftFile(const DriftFileValues& values);
// The values the bytes hold. Anything garbled (an estimate that is not "<ppm> ppm over <hours> h"
// with ppm within the bound and at least 6 hours, no closing root line) gives the option off
// and nothing learned.
DriftFileValues parseDriftFile(std::string_view bytes);

}  // namespace quorvane
