#pragma once

#include <string>
#include <vector>

namespace nmeasim {

// A capture file cut into one-second cycles: a cycle ends where a sentence reports a time other
// than the cycle's own. The bytes and line ends stay exactly as captured. Throws
// std::runtime_error.
std::vector<std::string> loadCycles(const std::string& path);

}  // namespace nmeasim
