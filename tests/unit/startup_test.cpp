#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

std::vector<std::string> portCaptions(const Form1& form) {
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < form.Menu_Port_Number.count(); ++i) {
        captions.push_back(form.Menu_Port_Number[i].caption());
    }
    return captions;
}

std::vector<std::string> checkedPorts(const Form1& form) {
    std::vector<std::string> checked;
    for (std::size_t i = 0; i < form.Menu_Port_Number.count(); ++i) {
        if (form.Menu_Port_Number[i].checked()) {
            checked.push_back(form.Menu_Port_Number[i].caption());
        }
    }
    return checked;
}

const char* const kSettingsNoDelayCom3 =
    "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
    "<!--Quorvane, Version 1.0.4 -->\r\n"
    " <CONFIGURATION>\r\n"
    "   <LOCALTIME>6 Dec 26  0436:36</LOCALTIME>\r\n"
    "   <COMM_PORTS>\r\n"
    "      <GPS_PORT_NAME>Com3</GPS_PORT_NAME>\r\n"
    "      <GPS_PORT_SPEED>9600</GPS_PORT_SPEED>\r\n"
    "      <GPS_PORT_PARITY>None</GPS_PORT_PARITY>\r\n"
    "      <GPS_PORT_DATA_LENGTH>8</GPS_PORT_DATA_LENGTH>\r\n"
    "      <GPS_PORT_FLOW_CONTROL>None</GPS_PORT_FLOW_CONTROL>\r\n"
    "      <GPS_PORT_STOP_BITS>1</GPS_PORT_STOP_BITS>\r\n"
    "   </COMM_PORTS>\r\n"
    "   <ALTITUDE_FEET>False</ALTITUDE_FEET>\r\n"
    "   <STARTUP_MODE_TASK_TRAY>False</STARTUP_MODE_TASK_TRAY>\r\n"
    "   <STARTUP_MODE_TIME_SYNC>False</STARTUP_MODE_TIME_SYNC>\r\n"
    "   <STARTUP_DELAY>False</STARTUP_DELAY>\r\n"
    " </CONFIGURATION>\r\n";

TEST(StartUp, FirstRunWithoutSettingsFileReportsItAndLeavesTheWindowInItsStartState) {
    FormFixture f;
    f.serial.ports = {1, 3};
    f.form.Form_Load();
    Form1& form = f.form;

    EXPECT_EQ(form.VersionNumber.caption(), "Version 1.0.4");
    ASSERT_EQ(form.MSPort1, &f.serial);
    EXPECT_EQ(f.desktop.pathOf(form.window.icon()), joinPath("/program", "GPS_YELLOW.ico"));
    EXPECT_EQ(f.desktop.colourOf(form.window.icon()), PictureColour::Yellow);

    EXPECT_EQ(form.GPS_CommOK.fillColor(), LampRed);
    EXPECT_EQ(form.TimeValid.fillColor(), LampRed);
    EXPECT_FALSE(form.SetComputerClock.enabled());
    EXPECT_EQ(form.RxStaleCount, 10);
    EXPECT_EQ(form.FixStaleCount, 10);
    EXPECT_EQ(form.StartupDelayCount, 30);
    EXPECT_EQ(form.TrayDelayCount, 3);
    EXPECT_FALSE(form.SettingsLoadRequested);
    EXPECT_FALSE(form.SettingsSaveRequested);
    EXPECT_EQ(form.NextGPSUpdate.caption().size(), 4u);
    EXPECT_EQ(form.BalloonTitle, "NO GPS Rx");
    EXPECT_EQ(form.BalloonText, "");
    for (const std::string& line : form.SentenceHistory) {
        EXPECT_EQ(line, "");
    }
    for (const Label* label : {&form.Label2, &form.Label6, &form.Label7, &form.GPS_Label}) {
        EXPECT_EQ(label->toolTip(), "NO GPS Rx") << label->name();
    }
    // The failed load does not reset the displays: they keep their first text until data comes.
    for (const TextDisplay* d :
         {&form.TimeGPS, &form.GPSLatitude, &form.GPSLongitude, &form.GPSAltitude}) {
        EXPECT_EQ(d->text(), "Quorvane") << d->name();
    }
    EXPECT_TRUE(form.GpsPortName.empty());

    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text,
              "File not Found\r\nParameter File Name = " + f.settingsPath() + "\r\n");
    EXPECT_EQ(f.desktop.messages[0].title, "Quorvane");
    EXPECT_EQ(f.desktop.beeps, 1);

    // Start-up never opens the port itself.
    EXPECT_EQ(f.serial.opens, 0);
    EXPECT_EQ(portCaptions(form), (std::vector<std::string>{"None/Reset", "Com1", "Com3"}));
    EXPECT_TRUE(checkedPorts(form).empty());
}

TEST(StartUp, SettingsFileChecksItsPortAndShortensTheDelayWithoutOpeningThePort) {
    FormFixture f;
    f.serial.ports = {1, 3, 4};
    f.serial.devices = {{3, "/dev/ttyS2"}};
    f.files.files[f.settingsPath()] = kSettingsNoDelayCom3;
    f.form.Form_Load();

    EXPECT_TRUE(f.desktop.messages.empty());
    EXPECT_EQ(portCaptions(f.form),
              (std::vector<std::string>{"None/Reset", "Com1", "Com3", "Com4"}));
    EXPECT_EQ(checkedPorts(f.form), (std::vector<std::string>{"Com3"}));
    EXPECT_EQ(f.form.Menu_Port_Number[2].toolTip(), "/dev/ttyS2");
    EXPECT_EQ(f.form.StartupDelayCount, 4);
    EXPECT_TRUE(f.form.Menu_NoDelay.checked());
    EXPECT_TRUE(f.form.DisplayMeters.checked());
    EXPECT_TRUE(f.form.Menu_Baud_9600.checked());
    // The load resets the fix side of the window.
    EXPECT_EQ(f.form.TimeGPS.text(), "");
    EXPECT_EQ(f.form.GPSAltitude.text(), "");
    EXPECT_EQ(f.form.GPS_CommOK.fillColor(), LampRed);
    EXPECT_FALSE(f.form.SetComputerClock.enabled());
    EXPECT_EQ(f.serial.opens, 0);
}

TEST(PortMenuList, EmptyUnreadableAndRebuiltListsKeepNoneResetAndTheStoredName) {
    FormFixture f;
    f.form.Form_Load();
    EXPECT_EQ(portCaptions(f.form), (std::vector<std::string>{"None/Reset"}));

    // A list that cannot be read counts as empty; the program goes on.
    f.serial.listFails = true;
    f.serial.ports = {5};
    EXPECT_NO_THROW(f.form.LoadGPS_PortSettings());
    EXPECT_EQ(portCaptions(f.form), (std::vector<std::string>{"None/Reset"}));

    // A rebuild checks the stored port again; item 0's mark is left alone.
    f.serial.listFails = false;
    f.serial.ports = {2, 7};
    f.form.GpsPortName = "Com7";
    f.form.Menu_Port_Number[0].setChecked(true);
    f.form.LoadGPS_PortSettings();
    EXPECT_EQ(portCaptions(f.form), (std::vector<std::string>{"None/Reset", "Com2", "Com7"}));
    EXPECT_EQ(checkedPorts(f.form), (std::vector<std::string>{"None/Reset", "Com7"}));
    EXPECT_TRUE(f.form.Menu_Port_Number[2].visible());

    // A stored port that has gone away checks nothing and stays in the field; the match is
    // exact, case included.
    f.form.GpsPortName = "COM2";
    f.form.Menu_Port_Number[0].setChecked(false);
    f.serial.ports = {2};
    f.form.LoadGPS_PortSettings();
    EXPECT_EQ(portCaptions(f.form), (std::vector<std::string>{"None/Reset", "Com2"}));
    EXPECT_TRUE(checkedPorts(f.form).empty());
    EXPECT_EQ(f.form.GpsPortName, "COM2");
}

}  // namespace
}  // namespace quorvane::testing
