// Exit chosen from the tray menu while one of the program's message boxes is up: the box's own
// event loop runs the exit, then the routine that showed the box carries on. Nothing may act
// for the program after it has ended.

#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

// No more than the one end, and nothing done after it: no tick, no line, no port opened, no
// icon left in the tray, no further box.
void expectEndedAndInert(FormFixture& f) {
    EXPECT_EQ(f.desktop.ends, 1);
    EXPECT_TRUE(f.form.ProgramEnded);
    EXPECT_FALSE(f.tray.shown);
    const std::size_t messages = f.desktop.messages.size();
    const int opens = f.serial.opens;
    const int adds = f.tray.adds;
    for (int i = 0; i < 30; ++i) {
        f.clock.advance(std::chrono::seconds(1));
        f.form.Timer1_Timer();
    }
    f.receive("$GPGGA,101530.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*62");
    f.form.mexit_Click();
    EXPECT_EQ(f.desktop.ends, 1);
    EXPECT_EQ(f.desktop.messages.size(), messages);
    EXPECT_EQ(f.serial.opens, opens);
    EXPECT_EQ(f.tray.adds, adds);
    EXPECT_EQ(f.form.SentenceHistory[0], "");
}

TEST(ExitDuringMessage, AtTheMissingSettingsFileMessageOfStartUp) {
    FormFixture f;
    f.serial.ports = {1};
    f.desktop.whileMessageBoxUp = [&] { f.form.mexit.click(); };
    f.form.Form_Load();
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    expectEndedAndInert(f);
}

TEST(ExitDuringMessage, AtThePortErrorOfTheStartUpTick) {
    FormFixture f;
    f.serial.failOn = "setPortOpen";
    f.load(
        "<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n"
        "<STARTUP_DELAY>False</STARTUP_DELAY>\r\n");
    f.desktop.whileMessageBoxUp = [&] { f.form.MenuExit.click(); };
    // The port opens, and the tray icon would be added, at the second tick.
    for (int i = 0; i < 2; ++i) {
        f.clock.advance(std::chrono::seconds(1));
        f.form.Timer1_Timer();
    }
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text.rfind("GPS PORT ERROR : ", 0), 0u);
    EXPECT_EQ(f.tray.adds, 0);
    expectEndedAndInert(f);
}

TEST(ExitDuringMessage, AtTheSaveFailureOfAPortRestart) {
    FormFixture f;
    f.load("<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n");
    f.serial.open = true;
    f.files.writeFails = 61;
    f.desktop.whileMessageBoxUp = [&] { f.form.mexit.click(); };
    f.form.Menu_Baud_9600_Click();
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text.rfind("Disk full", 0), 0u);
    // The restart that showed the box must not open the port the exit has just closed.
    EXPECT_FALSE(f.serial.open);
    EXPECT_EQ(f.serial.opens, 0);
    expectEndedAndInert(f);
}

}  // namespace
}  // namespace quorvane::testing
