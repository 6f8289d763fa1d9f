#pragma once

#include "app/form1.h"

namespace quorvane {

// The serial component the window drives: the one Form_Load connected.
SerialPort& gpsPort(Form1& form);

void closeIfOpen(SerialPort& port);

// Closes the port if it is open, writes the stored line settings to the component in order and
// opens port `portNumber`. Throws whatever the component throws; the caller decides what a
// failure means.
void openGpsPort(Form1& form, SerialPort& port, double portNumber);

}  // namespace quorvane
