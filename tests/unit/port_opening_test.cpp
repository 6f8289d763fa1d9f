#include <gtest/gtest.h>

#include "gpsport/port_values.h"
#include "settings_probe.h"

namespace quorvane::testing {
namespace {

void setLine(Form1& form, const std::string& name, const std::string& speed) {
    form.GpsPortName = name;
    form.GpsPortSpeed = speed;
}

TEST(Opening, TheValueTableWithItsFallbacks) {
    using Code = std::int16_t (*)(std::string_view);
    const std::tuple<Code, const char*, int> rows[] = {{parityCodeOfText, "None", 0},
                                                       {parityCodeOfText, "Odd", 1},
                                                       {parityCodeOfText, "Even", 2},
                                                       {parityCodeOfText, "Mark", 3},
                                                       {parityCodeOfText, "Space", 4},
                                                       {parityCodeOfText, "none", 0},
                                                       {stopBitsCodeOfText, "1", 0},
                                                       {stopBitsCodeOfText, "1.5", 1},
                                                       {stopBitsCodeOfText, "2", 2},
                                                       {stopBitsCodeOfText, "1,5", 0},
                                                       {flowControlCodeOfText, "None", 0},
                                                       {flowControlCodeOfText, "RTS/CTS", 1},
                                                       {flowControlCodeOfText, "DSR/DTR", 2},
                                                       {flowControlCodeOfText, "Xon/Xoff", 4},
                                                       {flowControlCodeOfText, "xon/xoff", 0},
                                                       {dataBitsOfText, "7", 7},
                                                       {dataBitsOfText, "8", 8},
                                                       {dataBitsOfText, "9", 8},
                                                       {dataBitsOfText, "", 8}};
    for (const auto& [code, text, expected] : rows) {
        EXPECT_EQ(code(text), expected) << text;
    }

    EXPECT_EQ(leadingNumber("  9 600 baud"), 9600);
    EXPECT_EQ(leadingNumber("1.5.3"), 1.5);
    EXPECT_EQ(leadingNumber("-2x"), -2);
    EXPECT_EQ(leadingNumber("fast"), 0);
    EXPECT_EQ(leadingNumber(std::string(400, '9')), std::numeric_limits<double>::max());
    EXPECT_EQ(leadingNumber("0." + std::string(400, '0') + "1"), 0);
    for (const auto& [name, number] : std::initializer_list<std::pair<const char*, double>>{
             {"Com3", 3},
             {"COM3", 3},
             {"xyz3", 3},
             {"Com12", 12},
             {"None/Reset", 0},
             {"Com", 0},
             {"", 0},
             {"\xC3\x87\xC3\xB6m7", 7}}) {  // three characters, not three bytes
        EXPECT_EQ(portNumberOfName(name), number) << name;
    }
}

TEST(Opening, SettingsReachTheComponentInOrderThenItOpens) {
    FormFixture f;
    f.load();
    setLine(f.form, "Com3", "4800");
    f.form.GpsPortParity = "Even";
    f.form.GpsPortStopBits = "1.5";
    f.form.GpsPortFlowControl = "Xon/Xoff";
    f.form.GpsPortDataLength = "9";
    f.form.StartGPSPort();
    EXPECT_EQ(f.serial.calls,
              (std::vector<std::string>{
                  "setParity 2", "setStopBits 1", "setFlowControl 4", "setDataBits 8", "setFlagA 0",
                  "setFlagB 0", "setSpeed 4800.000000", "setPortNumber 3.000000",
                  "setTerminator \r", "setNumericSetting 5000", "setPortOpen 1"}));

    // The same settings again: a close first, then a fresh open.
    f.serial.calls.clear();
    f.form.StartGPSPort();
    EXPECT_EQ(f.serial.calls.front(), "setPortOpen 0");
    EXPECT_EQ(f.serial.calls.back(), "setPortOpen 1");
    EXPECT_EQ(f.desktop.messages.size(), 0u);
}

TEST(Opening, NoPortNumberOnlyClosesAnOpenPort) {
    for (const char* name : {"None/Reset", "", "Com-1"}) {
        FormFixture f;
        f.load();
        f.serial.open = true;
        f.form.GpsPortName = name;
        f.form.StartGPSPort();
        f.form.StartGPSPort();  // already closed: nothing at all
        EXPECT_EQ(f.serial.calls, std::vector<std::string>{"setPortOpen 0"}) << name;
        EXPECT_EQ(f.desktop.messages.size(), 0u);
    }
}

TEST(Opening, AFailureResetsTheNameClosesThePortAndSaysWhy) {
    for (const char* failing : {"setPortOpen", "setSpeed"}) {
        FormFixture f;
        f.serial.ports = {3};
        f.load("<GPS_PORT_NAME>Com3</GPS_PORT_NAME>\r\n");
        f.serial.failOn = failing;
        f.serial.failText = "No such device";
        f.form.RxStaleCount = 0;
        f.form.StartGPSPort();
        EXPECT_EQ(f.form.GpsPortName, "None/Reset") << failing;
        EXPECT_EQ(f.form.RxStaleCount, 10);
        EXPECT_FALSE(f.serial.open);
        ASSERT_EQ(f.desktop.messages.size(), 1u);
        EXPECT_EQ(f.desktop.messages[0].text, "GPS PORT ERROR : No such device");
        EXPECT_EQ(f.desktop.messages[0].title, "Quorvane");
        EXPECT_EQ(checkedPortItems(f.form), "Com3");  // the user's choice stays marked
    }

    // A port that refuses even to close: the failure path's own close fails too, and the
    // routine still returns normally with its message.
    FormFixture f;
    f.load();
    f.serial.open = true;
    f.form.GpsPortName = "Com3";
    f.serial.failOn = "setPortOpen";
    f.form.StartGPSPort();
    EXPECT_EQ(f.serial.calls, (std::vector<std::string>{"setPortOpen 0", "setPortOpen 0"}));
    EXPECT_EQ(f.desktop.messages.size(), 1u);
}

TEST(Opening, RestartSavesResetsPumpsAndOnlyThenOpensWhileSaveAndStartTouchesNoDisplay) {
    for (const bool restart : {true, false}) {
        FormFixture f;
        f.load();
        setLine(f.form, "Com3", "9600");
        f.form.TimeGPS.setText("fix");
        f.form.GPS_CommOK.setFillColor(LampGreen);
        f.form.TimeValid.setFillColor(LampGreen);
        f.form.SetComputerClock.setEnabled(true);
        f.form.RxStaleCount = f.form.FixStaleCount = 2;
        std::string atPump = "no pump";
        f.desktop.queued.push_back([&] {
            atPump = storedValue(f, "GPS_PORT_SPEED") + " opens=" + std::to_string(f.serial.opens) +
                     " time=" + f.form.TimeGPS.text();
        });
        f.serial.failOn = "setPortOpen";  // the choice is stored even when the port fails
        restart ? f.form.RestartGPSPort() : f.form.SaveAndStartGPSPort();

        SCOPED_TRACE(restart);
        EXPECT_EQ(storedValue(f, "GPS_PORT_NAME"), "Com3");
        EXPECT_EQ(f.serial.callNames().back(), "setPortOpen");
        EXPECT_EQ(atPump, restart ? "9600 opens=0 time=" : "no pump");
        EXPECT_EQ(f.form.TimeGPS.text(), restart ? "" : "fix");
        EXPECT_EQ(f.form.GPS_CommOK.fillColor(), restart ? LampRed : LampGreen);
        EXPECT_EQ(f.form.TimeValid.fillColor(), restart ? LampRed : LampGreen);
        EXPECT_EQ(f.form.SetComputerClock.enabled(), !restart);
        EXPECT_EQ(f.form.FixStaleCount, restart ? 10 : 2);
    }
}

}  // namespace
}  // namespace quorvane::testing
