#include <exception>

#include "app/form1.h"
#include "gpsport/fix_display_reset.h"
#include "gpsport/port_opening.h"
#include "gpsport/port_values.h"

namespace quorvane {

void Form1::StartGPSPort() {
    // An exit chosen while a box of the restart was up has closed the port for good.
    if (ProgramEnded) {
        return;
    }
    // Whatever opens or closes the port now, a lost port is no longer tried again.
    PortRetrying = false;
    PortReopenedAt.reset();
    SerialPort& port = gpsPort(*this);
    const double portNumber = portNumberOfName(GpsPortName);
    try {
        if (portNumber <= 0) {
            closeIfOpen(port);
            return;
        }
        openGpsPort(*this, port, portNumber);
    } catch (const std::exception& error) {
        // The next save stores "None/Reset", so later restarts leave the port alone until the
        // user picks a port again; the Port menu's marks stay as the user left them.
        GpsPortName = kNoneReset;
        RxStaleCount = 10;
        try {
            closeIfOpen(port);
        } catch (const std::exception&) {
            // Already failing; the port is as closed as it can be made.
        }
        desktop().messageBox(std::string("GPS PORT ERROR : ") + error.what(), kProgramTitle);
    }
}

void Form1::RestartGPSPort() {
    // Saved first, so the choice is kept even when the port then fails to open.
    SettingsSaveRequested = true;
    LoadSaveFiles();
    resetFixDisplay(*this);
    // A received line or a tick may run here, before the port is closed and reopened.
    desktop().pumpEvents();
    StartGPSPort();
}

void Form1::SaveAndStartGPSPort() {
    SettingsSaveRequested = true;
    LoadSaveFiles();
    StartGPSPort();
}

}  // namespace quorvane
