#include "gpsport/port_opening.h"

#include "gpsport/line_setting_groups.h"
#include "gpsport/port_values.h"

namespace quorvane {

namespace {

constexpr std::int16_t kNumericSetting = 5000;

}  // namespace

SerialPort& gpsPort(Form1& form) {
    return form.MSPort1 != nullptr ? *form.MSPort1 : form.serialComponent();
}

void closeIfOpen(SerialPort& port) {
    if (port.portOpen()) {
        port.setPortOpen(false);
    }
}

void openGpsPort(Form1& form, SerialPort& port, double portNumber) {
    // New settings always take effect through a close and a fresh open.
    closeIfOpen(port);
    const auto inUse = [&form](LineSettingGroup group) { return lineSettingInUse(form, group); };
    port.setParity(parityCodeOfText(inUse(LineSettingGroup::Parity)));
    port.setStopBits(stopBitsCodeOfText(inUse(LineSettingGroup::Stop)));
    port.setFlowControl(flowControlCodeOfText(inUse(LineSettingGroup::Flow)));
    port.setDataBits(dataBitsOfText(inUse(LineSettingGroup::DataBits)));
    port.setFlagA(false);
    port.setFlagB(false);
    port.setSpeed(speedOfText(inUse(LineSettingGroup::Baud)));
    port.setPortNumber(portNumber);
    port.setTerminator("\r");
    port.setNumericSetting(kNumericSetting);
    port.setPortOpen(true);
}

}  // namespace quorvane
