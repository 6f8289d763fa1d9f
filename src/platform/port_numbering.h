#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A serial port as the Port menu offers it: "Com" and its number, and the device behind it.
struct NumberedPort {
    int number = 0;
    std::string device;

    friend bool operator==(const NumberedPort&, const NumberedPort&) = default;
};

// The number a device's family gives it, so that a number names the same device from one run to
// the next: /dev/ttyS0-31 are 1-32, ttyUSB 33-64, ttyACM 65-96, ttyAMA 97-128, rfcomm 129-160;
// a Windows name COMn is n. 0 for a device outside the families.
int familyNumber(std::string_view device);

// The links named ComN (N from 1 to 255) in a folder, each with the device it leads to. Only
// links that reach a character device count, so a link left behind by a vanished device or a
// stray file offers nothing. A missing or unreadable folder has no links.
std::vector<NumberedPort> scanPortsFolder(const std::string& folder);

// The devices numbered by family, plus the links, a link taking the place of a family device of
// the same number; sorted by number. Devices outside the families are left out.
std::vector<NumberedPort> numberPorts(const std::vector<std::string>& devices,
                                      const std::vector<NumberedPort>& links);

}  // namespace quorvane
