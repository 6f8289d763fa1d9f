#include "settings/settings_writer.h"

#include "settings/codepage_1252.h"

namespace quorvane {

namespace {

std::string booleanText(bool value) {
    return value ? "True" : "False";
}

// "<TAG>value</TAG>" after the given indent.
std::string element(const char* indent, const std::string& tag, const std::string& value) {
    return indent + ("<" + tag + ">") + value + "</" + tag + ">";
}

}  // namespace

std::string formatSettingsFile(const SettingsFileValues& v) {
    constexpr const char* kLevel1 = "   ";
    constexpr const char* kLevel2 = "      ";
    const std::string lines[] = {
        R"(<?xml version="1.0" standalone="no"?>)",
        "<!--Quorvane, " + v.versionCaption + " -->",
        " <CONFIGURATION>",
        element(kLevel1, "LOCALTIME", v.localTime),
        "   <COMM_PORTS>",
        element(kLevel2, "GPS_PORT_NAME", v.portName),
        element(kLevel2, "GPS_PORT_SPEED", v.portSpeed),
        element(kLevel2, "GPS_PORT_PARITY", v.portParity),
        element(kLevel2, "GPS_PORT_DATA_LENGTH", v.portDataLength),
        element(kLevel2, "GPS_PORT_FLOW_CONTROL", v.portFlowControl),
        element(kLevel2, "GPS_PORT_STOP_BITS", v.portStopBits),
        "   </COMM_PORTS>",
        element(kLevel1, "ALTITUDE_FEET", booleanText(v.altitudeFeet)),
        element(kLevel1, "STARTUP_MODE_TASK_TRAY", booleanText(v.startInTray)),
        element(kLevel1, "STARTUP_MODE_TIME_SYNC", booleanText(v.timeSyncAfterStartup)),
        element(kLevel1, "STARTUP_DELAY", booleanText(v.startupDelay)),
        " </CONFIGURATION>",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return utf8ToWindows1252(text);
}

}  // namespace quorvane
