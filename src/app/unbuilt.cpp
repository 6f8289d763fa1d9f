// Scaffolding: replaced by the app room's real files, then deleted.
#include "app/form1.h"

namespace quorvane {
void Form1::mhide_Click() {}
void Form1::MenuMinimize_Click() {}
void Form1::menu2_Click() {}
void Form1::TrayIcon1_MenuRequest() {}
void Form1::mexit_Click() {}
void Form1::MenuExit_Click() {}
void Form1::Form_QueryUnload() {}
void Form1::Form_MouseMove(int, int, float, float) {}
void Form1::GPSAltitude_MouseMove(int, int, float, float) {}
void Form1::GPSLatitude_MouseMove(int, int, float, float) {}
void Form1::GPSLongitude_MouseMove(int, int, float, float) {}
void Form1::TimeGPS_MouseMove(int, int, float, float) {}
}  // namespace quorvane
