#include "app/form1.h"
#include "clock/clock_messages.h"

namespace quorvane {

void Form1::Form_Load() {
    VersionNumber.setCaption("Version 1.0.4");

    MSPort1 = &serial_;
    MSPort1->onRead = [this](const std::optional<std::string>& value, const ArrivalStamps& stamps) {
        MSPort1_OnRead(value, stamps);
        ReceiverDelay_OnRead();
    };
    MSPort1->onGone = [this](const std::string& reason) { MSPort1_OnGone(reason); };

    window.setIcon(desktop_.loadPicture(joinPath(files_.programFolder(), "GPS_YELLOW.ico"),
                                        PictureColour::Yellow));

    TimeValid.setFillColor(LampRed);
    GPS_CommOK.setFillColor(LampRed);
    SetComputerClock.setEnabled(false);

    RxStaleCount = 10;
    FixStaleCount = 10;

    ScheduleNextUpdate();
    LoadGPS_PortSettings();

    StartupDelayCount = 30;
    TrayDelayCount = 3;
    SettingsLoadRequested = true;
    LoadSaveFiles();
    LoadReceiverDelay();
    LoadTalkersFile();
    LoadDriftFile();
    LoadTimeShareFile();

    BalloonTitle = kNoGpsRx;
    BalloonText.clear();
    SentenceHistory.fill("");
    for (Label* label : {&Label2, &Label6, &Label7, &GPS_Label}) {
        label->setToolTip(kNoGpsRx);
    }

    if (ClockRightWithdrawn) {
        const std::string text = clockRightWithdrawnMessage(files_.executablePath());
        logEvent(text);
        // A box would hold up an unattended start in the tray until someone answered it.
        if (StartInTaskTray.checked()) {
            StartupNotice = clockRightWithdrawnNotice();
        } else {
            desktop_.messageBox(text, kProgramTitle);
        }
    }
}

void Form1::LoadGPS_PortSettings() {
    SerialPort& port = MSPort1 != nullptr ? *MSPort1 : serial_;
    std::vector<int> ports;
    try {
        ports = port.portList();
    } catch (const std::exception&) {
        // A list that cannot be read offers no ports; the user can still pick "None/Reset".
        ports.clear();
    }

    while (Menu_Port_Number.count() > 1) {
        Menu_Port_Number.unloadLast();
    }
    for (int number : ports) {
        MenuItem& item = Menu_Port_Number.load("Com" + std::to_string(number));
        if (GpsPortName == item.caption()) {
            item.setChecked(true);
        }
        item.setVisible(true);
        try {
            item.setToolTip(port.portDevice(number));
        } catch (const std::exception&) {
            // The tooltip is only a hint; a port without one is still usable.
        }
    }
}

}  // namespace quorvane
