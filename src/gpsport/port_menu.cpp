#include "app/form1.h"

namespace quorvane {

void Form1::Menu_Port_Number_Click(std::int16_t Index) {
    if (Index == 0) {
        // "None/Reset" also reads the port list again, picking up devices plugged in since.
        LoadGPS_PortSettings();
    }
    for (std::size_t i = 0; i < Menu_Port_Number.count(); ++i) {
        MenuItem& item = Menu_Port_Number[i];
        const bool chosen = Index >= 0 && i == static_cast<std::size_t>(Index);
        item.setChecked(chosen);
        if (chosen) {
            GpsPortName = item.caption();
        }
    }
    RestartGPSPort();
}

}  // namespace quorvane
