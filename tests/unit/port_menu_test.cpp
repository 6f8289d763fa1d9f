#include <gtest/gtest.h>

#include "settings_probe.h"

namespace quorvane::testing {
namespace {

const char* const kStoredCom3 =
    "<GPS_PORT_NAME>Com3</GPS_PORT_NAME>\r\n<GPS_PORT_SPEED>9600</GPS_PORT_SPEED>\r\n";

TEST(PortMenu, NoneResetRereadsTheListChecksOnlyItselfSavesAndCloses) {
    FormFixture f;
    f.serial.ports = {1, 3};
    f.load(kStoredCom3);
    f.serial.open = true;
    f.serial.ports = {1, 3, 4};  // a receiver plugged in since start-up
    f.form.Menu_Port_Number[0].click();
    EXPECT_EQ(f.form.Menu_Port_Number.count(), 4u);
    // The rebuild marks Com3 again (still the stored name); the choice then clears it.
    EXPECT_EQ(checkedPortItems(f.form), "None/Reset");
    EXPECT_EQ(f.form.GpsPortName, "None/Reset");
    EXPECT_EQ(storedValue(f, "GPS_PORT_NAME"), "None/Reset");
    EXPECT_EQ(f.serial.callNames(), (std::vector<std::string>{"portList", "setPortOpen"}));
    EXPECT_FALSE(f.serial.open);
}

TEST(PortMenu, APortItemBecomesTheOnlyMarkAndTheNameAndOpensEvenWhenChosenAgain) {
    FormFixture f;
    f.serial.ports = {1, 3, 4};
    f.load(kStoredCom3);
    for (int time = 1; time <= 2; ++time) {
        f.form.Menu_Port_Number[3].click();
        EXPECT_EQ(checkedPortItems(f.form), "Com4");
        EXPECT_EQ(f.form.GpsPortName, "Com4");
        EXPECT_EQ(storedValue(f, "GPS_PORT_NAME"), "Com4");
        EXPECT_EQ(f.serial.portNumber, 4);
        EXPECT_EQ(f.serial.opens, time);
        EXPECT_EQ(f.files.writes, time);
    }
    EXPECT_EQ(f.serial.closes, 1);
    EXPECT_EQ(f.serial.callNames()[0], "setParity");  // the list is read only for None/Reset
}

}  // namespace
}  // namespace quorvane::testing
