#include <gtest/gtest.h>

#include <random>

#include "settings_probe.h"

namespace quorvane::testing {
namespace {

// What the writer makes of the values set in WriterMakesTheExactBytes.
const std::string kWritten =
    "<?xml version=\"1.0\" standalone=\"no\"?>\r\n"
    "<!--Quorvane, Version 1.0.4 -->\r\n"
    " <CONFIGURATION>\r\n"
    "   <LOCALTIME>7 Dec 26  1015:30</LOCALTIME>\r\n"
    "   <COMM_PORTS>\r\n"
    "      <GPS_PORT_NAME>Com3 \xE9\x80?</GPS_PORT_NAME>\r\n"
    "      <GPS_PORT_SPEED>57600</GPS_PORT_SPEED>\r\n"
    "      <GPS_PORT_PARITY>Odd</GPS_PORT_PARITY>\r\n"
    "      <GPS_PORT_DATA_LENGTH>7</GPS_PORT_DATA_LENGTH>\r\n"
    "      <GPS_PORT_FLOW_CONTROL>RTS/CTS</GPS_PORT_FLOW_CONTROL>\r\n"
    "      <GPS_PORT_STOP_BITS>1.5</GPS_PORT_STOP_BITS>\r\n"
    "   </COMM_PORTS>\r\n"
    "   <ALTITUDE_FEET>False</ALTITUDE_FEET>\r\n"
    "   <STARTUP_MODE_TASK_TRAY>True</STARTUP_MODE_TASK_TRAY>\r\n"
    "   <STARTUP_MODE_TIME_SYNC>True</STARTUP_MODE_TIME_SYNC>\r\n"
    "   <STARTUP_DELAY>False</STARTUP_DELAY>\r\n"
    " </CONFIGURATION>\r\n";

void save(FormFixture& f) {
    f.form.SettingsSaveRequested = true;
    f.form.LoadSaveFiles();
}

std::string lineSettingMarks(const Form1& form) {
    return checkedIn(form.Menu_Baud) + " " + checkedIn(form.Menu_Parity) + " " +
           checkedIn(form.Menu_DataBits) + " " + checkedIn(form.Menu_Flow) + " " +
           checkedIn(form.Menu_Stop);
}

bool fixDisplayIsReset(const Form1& form) {
    return form.GPSAltitude.text() + form.GPSLatitude.text() + form.GPSLongitude.text() +
                   form.TimeGPS.text() ==
               "" &&
           form.GPS_CommOK.fillColor() == LampRed && form.TimeValid.fillColor() == LampRed &&
           form.RxStaleCount == 10 && form.FixStaleCount == 10 && !form.SetComputerClock.enabled();
}

TEST(SettingsFile, WriterMakesTheExactBytesAndTheReaderTakesThemBack) {
    FormFixture f;
    f.load();
    Form1& form = f.form;
    form.TimeComputer.setText("7 Dec 26  1015:30");
    // é and € have a Windows-1252 byte; the Han character has none.
    form.GpsPortName = "Com3 \xC3\xA9\xE2\x82\xAC\xE6\xBC\xA2";
    form.GpsPortSpeed = "57600";
    form.GpsPortParity = "Odd";
    form.GpsPortDataLength = "7";
    form.GpsPortFlowControl = "RTS/CTS";
    form.GpsPortStopBits = "1.5";
    form.DisplayFeet.setChecked(false);
    form.StartInTaskTray.setChecked(true);
    form.TimeSyncOnStartup.setChecked(true);
    form.StartUpDelayEnabled.setChecked(false);
    save(f);
    EXPECT_EQ(f.files.files[f.settingsPath()], kWritten);
    EXPECT_FALSE(form.SettingsSaveRequested);

    FormFixture r;
    r.serial.ports = {1, 3};
    r.form.GpsPortName = "Com3";  // checked by start-up's rebuild, then cleared by the load
    r.load(kWritten);
    EXPECT_EQ(r.form.GpsPortName, "Com3 \xC3\xA9\xE2\x82\xAC?");
    EXPECT_EQ(checkedPortItems(r.form), "");
    EXPECT_EQ(lineSettingMarks(r.form), "57600 Odd 7 RTS/CTS 1.5");
    EXPECT_TRUE(r.form.DisplayMeters.checked() && !r.form.DisplayFeet.checked());
    EXPECT_TRUE(r.form.StartInTaskTray.checked() && r.form.TimeSyncOnStartup.checked());
    EXPECT_TRUE(r.form.SyncAfterStartupPending);
    EXPECT_TRUE(r.form.Menu_NoDelay.checked() && !r.form.StartUpDelayEnabled.checked());
    EXPECT_EQ(r.form.StartupDelayCount, 4);
    EXPECT_TRUE(fixDisplayIsReset(r.form));
}

TEST(SettingsFile, ArbitraryTextsAndEveryCombinationOfOptionsSurviveARoundTrip) {
    const std::string texts[] = {"",
                                 "  padded  ",
                                 "a<b>c",
                                 "Stra\xC3\x9F"
                                 "e \xE2\x80\x9Cq\xE2\x80\x9D",
                                 "x/y\\z\tq",
                                 "None/Reset"};
    for (int options = 0; options < 16; ++options) {
        FormFixture w;
        w.load();
        std::string* fields[] = {&w.form.GpsPortName,        &w.form.GpsPortSpeed,
                                 &w.form.GpsPortParity,      &w.form.GpsPortDataLength,
                                 &w.form.GpsPortFlowControl, &w.form.GpsPortStopBits};
        for (std::size_t i = 0; i < 6; ++i) {
            *fields[i] = texts[(i + static_cast<std::size_t>(options)) % 6];
        }
        w.form.DisplayFeet.setChecked(options & 1);
        w.form.StartInTaskTray.setChecked(options & 2);
        w.form.TimeSyncOnStartup.setChecked(options & 4);
        w.form.StartUpDelayEnabled.setChecked(options & 8);
        save(w);

        FormFixture r;
        r.load(w.files.files[w.settingsPath()]);
        SCOPED_TRACE(options);
        EXPECT_EQ(std::vector<std::string>({r.form.GpsPortName, r.form.GpsPortSpeed,
                                            r.form.GpsPortParity, r.form.GpsPortDataLength,
                                            r.form.GpsPortFlowControl, r.form.GpsPortStopBits}),
                  std::vector<std::string>(
                      {*fields[0], *fields[1], *fields[2], *fields[3], *fields[4], *fields[5]}));
        EXPECT_EQ(r.form.DisplayFeet.checked(), bool(options & 1));
        EXPECT_EQ(r.form.DisplayMeters.checked(), !(options & 1));
        EXPECT_EQ(r.form.StartInTaskTray.checked(), bool(options & 2));
        EXPECT_EQ(r.form.TimeSyncOnStartup.checked(), bool(options & 4));
        EXPECT_EQ(r.form.StartUpDelayEnabled.checked(), bool(options & 8));
        EXPECT_EQ(r.form.Menu_NoDelay.checked(), !(options & 8));
        EXPECT_EQ(r.form.StartupDelayCount, (options & 8) ? 30 : 4);
    }
}

TEST(SettingsFile, ReaderRulesForPositionsTagsRepeatsBooleansAndUnknownValues) {
    FormFixture f;
    f.load(
        "<GPS_PORT_SPEED>9600</GPS_PORT_SPEED>\r"                   // CR alone ends a line
        "<GPS_PORT_SPEED>19200</WRONG_NAME>\r\n"                    // the later line decides
        "<gps_port_parity>Odd</gps_port_parity>\r\n"                // tags are case-sensitive
        "<GPS_PORT_PARITY >Odd</GPS_PORT_PARITY>\r\n"               // ... and exact
        "noise <GPS_PORT_STOP_BITS> 2</ x\r\n"                      // no trimming
        "<GPS_PORT_NAME>Com1\n<still one line</GPS_PORT_NAME>\r\n"  // a lone LF is a character
        "<GPS_PORT_FLOW_CONTROL>None\r\n"                           // no closing mark
        "<ALTITUDE_FEET>TRUE</ALTITUDE_FEET>\r\n"                   // only "True" is true
        "<STARTUP_MODE_TASK_TRAY>1</STARTUP_MODE_TASK_TRAY>\r\n" +
        std::string(70000, ' ') + "<GPS_PORT_DATA_LENGTH>" + std::string(40000, '7') +
        "</GPS_PORT_DATA_LENGTH>");  // any length; the last line needs no end
    const Form1& form = f.form;
    EXPECT_EQ(form.GpsPortSpeed, "19200");
    EXPECT_EQ(form.GpsPortParity, "");
    EXPECT_EQ(form.GpsPortStopBits, " 2");
    EXPECT_EQ(form.GpsPortName, "Com1\n<still one line");
    EXPECT_EQ(form.GpsPortFlowControl, "");
    EXPECT_EQ(form.GpsPortDataLength, std::string(40000, '7'));
    EXPECT_FALSE(form.DisplayFeet.checked());
    EXPECT_FALSE(form.StartInTaskTray.checked());
    EXPECT_EQ(lineSettingMarks(form), "19200 None 8 None 1");  // fallbacks for the unknown
    EXPECT_EQ(f.desktop.messages.size(), 0u);
    save(f);
    EXPECT_EQ(storedValue(f, "GPS_PORT_STOP_BITS"), " 2");  // written back unchanged
}

TEST(SettingsFile, EmptyAndBareLineFeedFilesTakeNothingButStillResetAndAlign) {
    for (const char* file : {"", "<?xml?>\n<GPS_PORT_SPEED>9600</GPS_PORT_SPEED>\n"}) {
        FormFixture f;
        f.serial.ports = {1};
        f.files.files[f.settingsPath()] = file;
        bool flagsClearAtPump = false;
        f.desktop.queued.push_back([&] {
            flagsClearAtPump = !f.form.SettingsLoadRequested && !f.form.SettingsSaveRequested;
        });
        f.form.Form_Load();
        EXPECT_TRUE(flagsClearAtPump);
        EXPECT_EQ(f.desktop.messages.size(), 0u);
        EXPECT_EQ(f.form.GpsPortSpeed, "");
        EXPECT_TRUE(fixDisplayIsReset(f.form));
        EXPECT_EQ(checkedPortItems(f.form), "");
        EXPECT_EQ(lineSettingMarks(f.form), "4800 None 8 None 1");
    }
}

TEST(SettingsFile, FailuresAreReportedWithTheirMessageAndPath) {
    FormFixture f;
    f.form.Form_Load();
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text,
              "File not Found\r\nParameter File Name = " + f.settingsPath() + "\r\n");
    EXPECT_EQ(f.desktop.messages[0].title, "Quorvane");
    EXPECT_EQ(f.desktop.beeps, 1);
    EXPECT_FALSE(f.form.SettingsLoadRequested);
    EXPECT_EQ(f.form.TimeGPS.text(), "Quorvane");  // the display reset did not run
    EXPECT_EQ(f.files.files.count(f.settingsPath()), 0u);

    f.files.readFails = 6;  // a number without a message of its own
    f.form.SettingsLoadRequested = true;
    f.form.LoadSaveFiles();
    EXPECT_EQ(f.desktop.messages.at(1).text.substr(0, 33), "Error Number at Load/Save Files6\r");
}

TEST(SettingsFile, FailedSaveKeepsTheOldFileAndTheValuesForTheNextSave) {
    FormFixture f;
    f.load(kWritten);
    f.form.GpsPortSpeed = "9600";
    f.files.writeFails = 75;
    save(f);
    EXPECT_EQ(f.files.files[f.settingsPath()], kWritten);
    EXPECT_FALSE(f.form.SettingsSaveRequested);
    EXPECT_EQ(f.desktop.messages.at(0).text.substr(0, 24), "Path/File access error\r\n");
    f.files.writeFails.reset();
    save(f);
    EXPECT_EQ(storedValue(f, "GPS_PORT_SPEED"), "9600");
}

TEST(SettingsFile, AnEventDuringTheFailureBoxCanSaveWithoutRepeatingTheFailedLoad) {
    FormFixture f;
    f.files.readFails = 57;
    f.desktop.whileMessageBoxUp = [&] { f.form.StartInTaskTray_Click(); };
    f.form.Form_Load();
    EXPECT_EQ(f.files.reads, 5)
        << "the settings file once, then the receiver, talkers, drift and time-sharing files";
    EXPECT_EQ(storedValue(f, "STARTUP_MODE_TASK_TRAY"), "True");
}

TEST(SettingsFile, TenMegabytesOfJunkAreReadWithoutHarm) {
    std::mt19937 random(1234);
    std::string junk(10 * 1024 * 1024, '\0');
    // Mostly the bytes the reader looks for, so it meets every kind of line.
    const char alphabet[] = "<>/\r\n\x80\x9D\xFFGPS_ORTNAMETrue ";
    for (char& c : junk) {
        c = random() % 4 == 0 ? static_cast<char>(random())
                              : alphabet[random() % (sizeof alphabet - 1)];
    }
    FormFixture f;
    f.load(junk + "\r<GPS_PORT_NAME>Com7</GPS_PORT_NAME>");
    EXPECT_EQ(f.form.GpsPortName, "Com7");
    EXPECT_EQ(f.desktop.messages.size(), 0u);
}

}  // namespace
}  // namespace quorvane::testing
