#include "replay.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace nmeasim {
namespace {

// The time field of the sentences that carry one (any talker), or "".
std::string_view timeField(std::string_view line) {
    const auto dollar = line.find('$');
    if (dollar == std::string_view::npos || line.size() < dollar + 7) {
        return {};
    }
    const std::string_view type = line.substr(dollar + 3, 3);
    const int field = type == "RMC" || type == "GGA" || type == "ZDA" ? 1 : type == "GLL" ? 5 : 0;
    if (field == 0) {
        return {};
    }
    std::size_t start = dollar;
    for (int i = 0; i < field; ++i) {
        start = line.find(',', start);
        if (start == std::string_view::npos) {
            return {};
        }
        ++start;
    }
    return line.substr(start, line.find_first_of(",*\r\n", start) - start);
}

}  // namespace

std::vector<std::string> loadCycles(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> cycles(1);
    std::string cycleTime;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', pos), bytes.size() - 1) + 1;
        const std::string_view line = std::string_view(bytes).substr(pos, end - pos);
        pos = end;
        const std::string_view time = timeField(line);
        if (!time.empty() && time != cycleTime) {
            if (!cycleTime.empty()) {
                cycles.emplace_back();
            }
            cycleTime = time;
        }
        cycles.back() += line;
    }
    if (cycles.back().empty()) {
        throw std::runtime_error(path + " is empty");
    }
    return cycles;
}

}  // namespace nmeasim
