#include "platform/port_numbering.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <system_error>

namespace quorvane {
namespace {

// A decimal number without sign or leading zeros, within [low, high]; -1 otherwise.
int strictNumber(std::string_view digits, int low, int high) {
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) {
        return -1;
    }
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high ? value : -1;
}

struct Family {
    std::string_view prefix;
    int first;
};

constexpr std::array<Family, 5> kFamilies{{
    {"ttyUSB", 33},
    {"ttyACM", 65},
    {"ttyAMA", 97},
    {"rfcomm", 129},
    {"ttyS", 1},
}};

constexpr int kFamilySize = 32;

}  // namespace

int familyNumber(std::string_view device) {
    if (device.starts_with("COM") && device.find('/') == std::string_view::npos) {
        return std::max(strictNumber(device.substr(3), 1, 255), 0);
    }
    constexpr std::string_view kDev = "/dev/";
    if (!device.starts_with(kDev)) {
        return 0;
    }
    const std::string_view name = device.substr(kDev.size());
    for (const Family& family : kFamilies) {
        if (name.starts_with(family.prefix)) {
            const int index = strictNumber(name.substr(family.prefix.size()), 0, kFamilySize - 1);
            return index < 0 ? 0 : family.first + index;
        }
    }
    return 0;
}

std::vector<NumberedPort> scanPortsFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<NumberedPort> links;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int number =
            name.starts_with("Com") ? strictNumber(std::string_view(name).substr(3), 1, 255) : -1;
        std::error_code entryError;
        if (number < 0 || !fs::is_character_file(it->path(), entryError)) {
            continue;
        }
        const fs::path target = fs::canonical(it->path(), entryError);
        if (!entryError) {
            links.push_back({number, target.string()});
        }
    }
    std::sort(links.begin(), links.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });
    return links;
}

std::vector<NumberedPort> numberPorts(const std::vector<std::string>& devices,
                                      const std::vector<NumberedPort>& links) {
    std::map<int, std::string> byNumber;
    for (const std::string& device : devices) {
        if (const int number = familyNumber(device); number > 0) {
            byNumber.emplace(number, device);
        }
    }
    for (const NumberedPort& link : links) {
        byNumber.insert_or_assign(link.number, link.device);
    }
    std::vector<NumberedPort> ports;
    for (auto& [number, device] : byNumber) {
        ports.push_back({number, device});
    }
    return ports;
}

}  // namespace quorvane
