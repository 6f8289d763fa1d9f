#include "app/form1.h"

namespace quorvane {

// The start-up options act at the next start, through the settings load; clicking one only
// moves its check mark and saves. The delay pair saves through the restart routine.

void Form1::StartInTaskTray_Click() {
    StartInTaskTray.setChecked(!StartInTaskTray.checked());
    SettingsSaveRequested = true;
    LoadSaveFiles();
}

void Form1::TimeSyncOnStartup_Click() {
    TimeSyncOnStartup.setChecked(!TimeSyncOnStartup.checked());
    SettingsSaveRequested = true;
    LoadSaveFiles();
}

void Form1::StartUpDelayEnabled_Click() {
    Menu_NoDelay.setChecked(false);
    StartUpDelayEnabled.setChecked(true);
    RestartGPSPort();
}

void Form1::Menu_NoDelay_Click() {
    Menu_NoDelay.setChecked(true);
    StartUpDelayEnabled.setChecked(false);
    RestartGPSPort();
}

}  // namespace quorvane
