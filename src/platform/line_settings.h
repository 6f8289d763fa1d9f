#pragma once

#include <string>
#include <vector>

namespace quorvane {

// The line settings a serial component is given, checked and remembered in the order they were
// written, so that a component can apply them in that order when its port opens. Free of any
// toolkit, so every component can share the checks and the texts of its refusals.
enum class LineSetting { Parity, StopBits, FlowControl, DataBits, Speed };

struct WrittenSetting {
    LineSetting setting;
    double value;  // the component's code (parity, stop bits, flow), bits, or bits per second
};

class WrittenSettings {
public:
    // Checks the value (throws SerialError for one no port can take) and remembers it last; a
    // later write of the same setting takes the earlier one's place at the end.
    const WrittenSetting& write(LineSetting setting, double value);
    const std::vector<WrittenSetting>& inOrder() const { return written_; }

private:
    std::vector<WrittenSetting> written_;
};

// "odd parity", "1.5 stop bits", "8 data bits", "4800 bits per second", ...
std::string settingText(const WrittenSetting& written);
// The menu the user changes the setting in: "Parity", "Stop", "Flow", "Data Bits", "Baud".
std::string settingMenu(LineSetting setting);
// What the user sees when a port refuses a setting: "<port> does not accept <setting> (<reason>).
// Choose another setting in the <menu> menu."
std::string refusalText(const std::string& port, const WrittenSetting& written,
                        const std::string& reason);
// Why a port did not open, in the same words on every system: "Com7 is not available: ...",
// "<port> is in use by another program.", "<port> could not be opened: <reason>."
std::string notAvailableText(double number);
std::string inUseText(const std::string& port);
std::string openFailedText(const std::string& port, const std::string& reason);
// A number as the user would write it: 4800, 2.5.
std::string numberText(double value);

}  // namespace quorvane
