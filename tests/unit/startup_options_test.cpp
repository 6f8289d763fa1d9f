#include <gtest/gtest.h>

#include "settings_probe.h"

namespace quorvane::testing {
namespace {

TEST(StartupOptions, TogglesInvertTheirMarkAndSaveWithoutTouchingThePortOrThisRun) {
    FormFixture f;
    f.load(
        "<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n"
        "<STARTUP_MODE_TIME_SYNC>True</STARTUP_MODE_TIME_SYNC>\r\n");
    f.form.TimeGPS.setText("fix");
    f.form.StartInTaskTray.click();
    EXPECT_EQ(storedValue(f, "STARTUP_MODE_TASK_TRAY"), "True");
    f.form.StartInTaskTray.click();
    EXPECT_FALSE(f.form.StartInTaskTray.checked());
    EXPECT_EQ(storedValue(f, "STARTUP_MODE_TASK_TRAY"), "False");

    // Unchecking does not cancel the clock setting this start asked for.
    f.form.TimeSyncOnStartup.click();
    EXPECT_EQ(storedValue(f, "STARTUP_MODE_TIME_SYNC"), "False");
    EXPECT_TRUE(f.form.SyncAfterStartupPending);
    EXPECT_EQ(f.files.writes, 3);
    EXPECT_TRUE(f.serial.calls.empty());
    EXPECT_EQ(f.form.TimeGPS.text(), "fix");
}

TEST(StartupOptions, DelayChoicesSetBothMarksAndRestartEvenWhenUnchanged) {
    FormFixture f;
    f.load("<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n");
    f.form.StartUpDelayEnabled.click();  // already checked
    EXPECT_TRUE(f.form.StartUpDelayEnabled.checked() && !f.form.Menu_NoDelay.checked());
    EXPECT_EQ(storedValue(f, "STARTUP_DELAY"), "True");
    EXPECT_EQ(f.serial.opens, 1);

    f.form.Menu_NoDelay.click();
    EXPECT_TRUE(!f.form.StartUpDelayEnabled.checked() && f.form.Menu_NoDelay.checked());
    EXPECT_EQ(storedValue(f, "STARTUP_DELAY"), "False");
    EXPECT_EQ(f.form.StartupDelayCount, 30);  // this run's countdown is not shortened
    EXPECT_EQ(f.serial.opens, 2);
}

TEST(StartupOptions, AFailedSaveKeepsTheNewMarkForTheNextGoodSave) {
    FormFixture f;
    f.load();
    f.files.writeFails = 70;
    f.form.StartInTaskTray.click();
    EXPECT_TRUE(f.form.StartInTaskTray.checked());
    EXPECT_EQ(f.desktop.messages.at(0).text.substr(0, 19), "Permission denied\r\n");
    f.files.writeFails.reset();
    f.form.Menu_Baud_9600_Click();
    EXPECT_EQ(storedValue(f, "STARTUP_MODE_TASK_TRAY"), "True");
}

}  // namespace
}  // namespace quorvane::testing
