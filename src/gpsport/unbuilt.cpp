// Scaffolding: replaced by the gpsport room's real files, then deleted.
#include "app/form1.h"

namespace quorvane {
void Form1::StartGPSPort() {}
void Form1::RestartGPSPort() {}
void Form1::SaveAndStartGPSPort() {}
void Form1::Menu_Port_Number_Click(std::int16_t) {}
#define QUORVANE_STUB(item, caption, checked) \
    void Form1::item##_Click() {}
QUORVANE_LINE_SETTING_ITEMS(QUORVANE_STUB)
#undef QUORVANE_STUB
}  // namespace quorvane
