#include <new>
#include <string_view>

#include "app/form1.h"
#include "gpsport/fix_display_reset.h"
#include "gpsport/line_setting_groups.h"
#include "settings/settings_error_messages.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"

namespace quorvane {

namespace {

constexpr const char* kSettingsFileName = "Quorvane.XML";

// Numbers for failures that are not the platform's file errors.
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;

constexpr std::pair<std::string_view, std::string Form1::*> kTextFields[] = {
    {"GPS_PORT_NAME", &Form1::GpsPortName},
    {"GPS_PORT_SPEED", &Form1::GpsPortSpeed},
    {"GPS_PORT_PARITY", &Form1::GpsPortParity},
    {"GPS_PORT_DATA_LENGTH", &Form1::GpsPortDataLength},
    {"GPS_PORT_FLOW_CONTROL", &Form1::GpsPortFlowControl},
    {"GPS_PORT_STOP_BITS", &Form1::GpsPortStopBits},
};

SettingsFileValues currentValues(Form1& form) {
    SettingsFileValues values;
    values.versionCaption = form.VersionNumber.caption();
    values.localTime = form.TimeComputer.text();
    values.portName = form.GpsPortName;
    values.portSpeed = form.GpsPortSpeed;
    values.portParity = form.GpsPortParity;
    values.portDataLength = form.GpsPortDataLength;
    values.portFlowControl = form.GpsPortFlowControl;
    values.portStopBits = form.GpsPortStopBits;
    values.altitudeFeet = form.DisplayFeet.checked();
    values.startInTray = form.StartInTaskTray.checked();
    values.timeSyncAfterStartup = form.TimeSyncOnStartup.checked();
    values.startupDelay = form.StartUpDelayEnabled.checked();
    return values;
}

// One recognised line takes effect as soon as it is read, so the last of repeated tags wins.
void applyEntry(Form1& form, std::string_view tag, const std::string& value) {
    for (const auto& [name, field] : kTextFields) {
        if (tag == name) {
            form.*field = value;
            return;
        }
    }
    const bool on = value == "True";
    if (tag == "ALTITUDE_FEET") {
        form.DisplayFeet.setChecked(on);
        form.DisplayMeters.setChecked(!on);
    } else if (tag == "STARTUP_MODE_TASK_TRAY") {
        form.StartInTaskTray.setChecked(on);
    } else if (tag == "STARTUP_MODE_TIME_SYNC") {
        form.TimeSyncOnStartup.setChecked(on);
        form.SyncAfterStartupPending = on;
    } else if (tag == "STARTUP_DELAY") {
        form.Menu_NoDelay.setChecked(!on);
        form.StartUpDelayEnabled.setChecked(on);
        if (!on) {
            form.StartupDelayCount = 4;
        }
    }
}

// The port menus' check marks follow the fields; the fields stay as read.
void alignMenusWithSettings(Form1& form) {
    for (std::size_t i = 0; i < form.Menu_Port_Number.count(); ++i) {
        MenuItem& item = form.Menu_Port_Number[i];
        item.setChecked(item.caption() == form.GpsPortName);
    }
    for (const LineSettingGroup group : kLineSettingGroups) {
        alignGroupWithField(form, group);
    }
}

void reportFailure(Form1& form, int number, const std::string& path) {
    // Cleared before the box: events dispatched while it is up may start a save of their own,
    // which must not find this call's stale requests.
    form.SettingsSaveRequested = false;
    form.SettingsLoadRequested = false;
    form.desktop().beep();
    form.desktop().messageBox(settingsErrorText(number, path), kProgramTitle);
}

}  // namespace

std::string Form1::settingsFilePath() {
    return joinPath(files().programFolder(), kSettingsFileName);
}

void Form1::LoadSaveFiles() {
    std::string path;
    try {
        if (SettingsSaveRequested) {
            path = settingsFilePath();
            files().replaceWhole(path, formatSettingsFile(currentValues(*this)));
            SettingsSaveRequested = false;
        }
        if (SettingsLoadRequested) {
            path = settingsFilePath();
            readSettingsEntries(files().readAll(path),
                                [this](std::string_view tag, const std::string& value) {
                                    applyEntry(*this, tag, value);
                                });
            SettingsLoadRequested = false;
            desktop().pumpEvents();
            resetFixDisplay(*this);
            alignMenusWithSettings(*this);
        }
    } catch (const FileError& error) {
        reportFailure(*this, error.number(), path);
    } catch (const std::bad_alloc&) {
        reportFailure(*this, kOutOfMemory, path);
    } catch (const std::exception&) {
        reportFailure(*this, kInternalError, path);
    }
}

}  // namespace quorvane
