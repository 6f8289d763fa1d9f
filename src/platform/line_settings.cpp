#include "platform/line_settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "platform/serial_port.h"

namespace quorvane {
namespace {

constexpr std::array<const char*, 5> kParityNames{"no parity", "odd parity", "even parity",
                                                  "mark parity", "space parity"};
constexpr std::array<const char*, 3> kStopBitNames{"1 stop bit", "1.5 stop bits", "2 stop bits"};
constexpr std::array<const char*, 5> kFlowNames{
    "no flow control", "RTS/CTS flow control", "DSR/DTR flow control", "", "Xon/Xoff flow control"};

std::string codeText(double value) {
    return std::to_string(static_cast<long long>(value));
}

bool isCode(double value, double low, double high) {
    return value >= low && value <= high && value == std::floor(value);
}

// The value as the port takes it, or SerialError naming what is wrong with it.
double checked(LineSetting setting, double value) {
    switch (setting) {
        case LineSetting::Parity:
            if (!isCode(value, 0, 4)) {
                throw SerialError("Unknown parity setting " + codeText(value) + ".");
            }
            return value;
        case LineSetting::StopBits:
            if (!isCode(value, 0, 2)) {
                throw SerialError("Unknown stop-bits setting " + codeText(value) + ".");
            }
            return value;
        case LineSetting::FlowControl:
            if (!isCode(value, 0, 4) || value == 3) {
                throw SerialError("Unknown flow-control setting " + codeText(value) + ".");
            }
            return value;
        case LineSetting::DataBits:
            if (!isCode(value, 5, 8)) {
                throw SerialError(codeText(value) + " data bits are not possible; choose 7 or 8.");
            }
            return value;
        case LineSetting::Speed:
            if (!std::isfinite(value) || value < 1 ||
                value > std::numeric_limits<std::int32_t>::max()) {
                throw SerialError("A line speed of " + numberText(value) +
                                  " bits per second is not possible; choose one from the Baud "
                                  "menu.");
            }
            return std::round(value);
    }
    return value;
}

}  // namespace

const WrittenSetting& WrittenSettings::write(LineSetting setting, double value) {
    const double accepted = checked(setting, value);
    std::erase_if(written_, [setting](const WrittenSetting& w) { return w.setting == setting; });
    written_.push_back({setting, accepted});
    return written_.back();
}

std::string settingText(const WrittenSetting& written) {
    const auto code = static_cast<std::size_t>(written.value);
    switch (written.setting) {
        case LineSetting::Parity:
            return kParityNames[code];
        case LineSetting::StopBits:
            return kStopBitNames[code];
        case LineSetting::FlowControl:
            return kFlowNames[code];
        case LineSetting::DataBits:
            return codeText(written.value) + " data bits";
        case LineSetting::Speed:
            return numberText(written.value) + " bits per second";
    }
    return {};
}

std::string settingMenu(LineSetting setting) {
    switch (setting) {
        case LineSetting::Parity:
            return "Parity";
        case LineSetting::StopBits:
            return "Stop";
        case LineSetting::FlowControl:
            return "Flow";
        case LineSetting::DataBits:
            return "Data Bits";
        case LineSetting::Speed:
            return "Baud";
    }
    return {};
}

std::string refusalText(const std::string& port, const WrittenSetting& written,
                        const std::string& reason) {
    return port + " does not accept " + settingText(written) + " (" + reason +
           "). Choose another setting in the " + settingMenu(written.setting) + " menu.";
}

std::string notAvailableText(double number) {
    return "Com" + numberText(number) +
           " is not available: no serial port on this computer has that number. Choose a port "
           "from the Port menu.";
}

std::string inUseText(const std::string& port) {
    return port + " is in use by another program.";
}

std::string openFailedText(const std::string& port, const std::string& reason) {
    return port + " could not be opened: " + reason + ".";
}

std::string numberText(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace quorvane
