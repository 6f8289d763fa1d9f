#pragma once

#include <string>

namespace quorvane {

// What one save records, taken from the window at one moment.
struct SettingsFileValues {
    std::string versionCaption;  // "Version 1.0.4"
    std::string localTime;       // the computer-time display as it reads
    std::string portName, portSpeed, portParity, portDataLength, portFlowControl, portStopBits;
    bool altitudeFeet = true;
    bool startInTray = false;
    bool timeSyncAfterStartup = false;
    bool startupDelay = true;
};

// The whole settings file: 17 lines, each ending in CR LF, in Windows-1252. Values are written
// as they are, without escaping.
std::string formatSettingsFile(const SettingsFileValues& values);

}  // namespace quorvane
