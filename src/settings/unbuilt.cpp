// Scaffolding: replaced by the settings room's real files, then deleted.
#include "app/form1.h"

namespace quorvane {
void Form1::LoadSaveFiles() {}
void Form1::UncheckAllBaud() {}
void Form1::UncheckAllParity() {}
void Form1::StartInTaskTray_Click() {}
void Form1::TimeSyncOnStartup_Click() {}
void Form1::StartUpDelayEnabled_Click() {}
void Form1::Menu_NoDelay_Click() {}
std::string Form1::settingsFilePath() { return {}; }
}  // namespace quorvane
