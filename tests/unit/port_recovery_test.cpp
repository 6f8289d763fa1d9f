#include <gtest/gtest.h>

#include <algorithm>

#include "settings_probe.h"

namespace quorvane::testing {
namespace {

using std::chrono::seconds;

const std::string kRmc = "$GPRMC,101530.00,A,4807.0380,N,01131.0000,E,0.0,0.0,071226,,,A*5D";
const std::string kGga = "$GPGGA,101530.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*62";

// A window that opened Com3 at start-up and has run past the start-up countdowns.
class PortRecovery : public ::testing::Test {
protected:
    void SetUp() override {
        f.serial.ports = {3};
        f.serial.devices = {{3, "/dev/ttyUSB0"}};
        f.load(
            "<GPS_PORT_NAME>Com3</GPS_PORT_NAME>\r\n<GPS_PORT_SPEED>9600</GPS_PORT_SPEED>\r\n"
            "<STARTUP_DELAY>False</STARTUP_DELAY>\r\n");
        tick(3);
        EXPECT_TRUE(f.serial.open);
        f.clearRecords();
        f.log.lines.clear();
    }

    void tick(int count = 1, bool withBurst = false) {
        for (int i = 0; i < count; ++i) {
            if (withBurst && f.serial.open) {
                f.receive(kRmc);
                f.receive(kGga);
            }
            f.clock.advance(seconds(1));
            f.form.Timer1_Timer();
        }
    }

    int openAttempts() const {
        return static_cast<int>(
            std::count(f.serial.calls.begin(), f.serial.calls.end(), std::string("setPortOpen 1")));
    }

    // The log's lines without their time stamps.
    std::vector<std::string> logged() const {
        std::vector<std::string> texts;
        for (const std::string& line : f.log.lines) {
            texts.push_back(line.substr(line.find(' ') + 1));
        }
        return texts;
    }

    // Unplugged: every open is refused until plugBack.
    void unplug() {
        f.serial.failOn = "setPortOpen";
        f.serial.failText = "Com3 is not available";
        f.serial.goAway("Com3 (/dev/ttyUSB0): the device went away");
    }
    void plugBack() { f.serial.failOn.clear(); }

    FormFixture f;
};

TEST_F(PortRecovery, ALostPortIsTriedQuietlyEveryFewTicksUntilItIsBack) {
    unplug();
    EXPECT_EQ(logged(), std::vector<std::string>{
                            "Receiver lost on Com3 (/dev/ttyUSB0): the device went away"});
    ASSERT_EQ(f.tray.messages.size(), 1u);
    EXPECT_NE(f.tray.messages[0].text.find("/dev/ttyUSB0"), std::string::npos);
    EXPECT_TRUE(f.desktop.messages.empty());

    tick(2);
    EXPECT_EQ(openAttempts(), 0);
    tick();
    EXPECT_EQ(openAttempts(), 1);
    EXPECT_EQ(f.serial.speed, 9600);  // the same port with the same line settings
    EXPECT_EQ(f.serial.portNumber, 3);
    tick(3600 - 3);  // an hour away
    EXPECT_EQ(openAttempts(), 1200);
    EXPECT_FALSE(f.serial.open);
    EXPECT_EQ(f.form.GPS_CommOK.fillColor(), LampRed);
    EXPECT_EQ(f.form.GpsPortName, "Com3");
    EXPECT_TRUE(f.desktop.messages.empty());
    EXPECT_EQ(f.files.writes, 0);
    EXPECT_EQ(logged().size(), 1u);  // failed attempts are not logged

    // Back, and sending, just after an attempt failed: both lamps green within 10 s.
    plugBack();
    int ticks = 0;
    while (ticks < 10 && (f.form.GPS_CommOK.fillColor() != LampGreen ||
                          f.form.TimeValid.fillColor() != LampGreen)) {
        tick(1, true);
        ++ticks;
    }
    EXPECT_EQ(f.form.GPS_CommOK.fillColor(), LampGreen);
    EXPECT_EQ(f.form.TimeValid.fillColor(), LampGreen);
    EXPECT_EQ(logged().back(), "Receiver back: Com3 (/dev/ttyUSB0)");
    const int attempts = openAttempts();
    tick(30, true);
    EXPECT_EQ(openAttempts(), attempts);  // open again: no more attempts
    EXPECT_EQ(logged().size(), 2u);

    // A second loss starts it all again.
    unplug();
    plugBack();
    tick(3);
    EXPECT_TRUE(f.serial.open);
    EXPECT_EQ(logged().size(), 4u);
}

TEST_F(PortRecovery, ADeviceThatDropsStraightAfterEachOpenIsTriedLessOftenAndLoggedLess) {
    std::vector<int> attemptsAt, linesAt{0};
    f.serial.goAway("Com3: gone");
    for (int t = 1; t <= 900; ++t) {
        const int attempts = openAttempts();
        const std::size_t lines = f.log.lines.size();
        tick();
        if (f.serial.open) {
            f.serial.goAway("Com3: gone");  // at once, every time
        }
        attemptsAt.insert(attemptsAt.end(), openAttempts() - attempts, t);
        linesAt.insert(linesAt.end(), f.log.lines.size() - lines, t);
    }
    attemptsAt.resize(8);
    EXPECT_EQ(attemptsAt, (std::vector<int>{3, 9, 21, 45, 93, 153, 213, 273}));
    // The first loss and return are logged as ever, then a line a minute at most.
    EXPECT_LE(linesAt.size(), 2u + 900 / 60);
    linesAt.resize(4);
    EXPECT_EQ(linesAt, (std::vector<int>{0, 3, 93, 153}));
    EXPECT_EQ(logged()[2],
              "Receiver back: Com3 (/dev/ttyUSB0); it dropped 4 more times since the last report "
              "of it");
    tick(80);  // it stays: the next loss is tried after 3 s again
    f.serial.goAway("Com3: gone");
    tick(3);
    EXPECT_EQ(logged().back(), "Receiver back: Com3 (/dev/ttyUSB0)");
    // Up long enough for green lamps, then unplugged again: an ordinary loss, told at once.
    const std::size_t before = logged().size();
    tick(6);
    f.serial.goAway("Com3: gone");
    tick(3);
    EXPECT_EQ(logged().size(), before + 2);
}

TEST_F(PortRecovery, AChoiceInTheMenusOrExitEndsTheRetrying) {
    // A menu choice while the device is away fails as any open does: box and "None/Reset".
    unplug();
    f.form.Menu_Baud_4800_Click();
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text, "GPS PORT ERROR : Com3 is not available");
    EXPECT_EQ(f.form.GpsPortName, "None/Reset");
    const int attempts = openAttempts();
    plugBack();
    tick(20);
    EXPECT_EQ(openAttempts(), attempts);
    EXPECT_FALSE(f.serial.open);

    // A choice that opens the port needs no retry either, and is not a return to log.
    f.form.Menu_Port_Number_Click(1);
    f.log.lines.clear();
    unplug();
    plugBack();
    f.form.Menu_Baud_9600_Click();
    EXPECT_TRUE(f.serial.open);
    f.serial.calls.clear();
    tick(20);
    EXPECT_EQ(openAttempts(), 0);
    EXPECT_EQ(logged().size(), 1u);

    // Exit: nothing is tried or logged after it.
    unplug();
    f.form.mexit_Click();
    plugBack();
    f.serial.goAway();
    f.serial.calls.clear();
    tick(20);
    EXPECT_EQ(openAttempts(), 0);
    EXPECT_EQ(logged().size(), 2u);
}

TEST(FirstRun, AnEmptyLineSettingOpensWithWhatItsMenuShowsAndStaysEmptyInTheFile) {
    FormFixture f;
    f.serial.ports = {3};
    f.load();  // no settings file: every line setting empty
    f.form.Menu_Port_Number_Click(1);
    EXPECT_TRUE(f.desktop.messages.empty());
    EXPECT_TRUE(f.serial.open);
    EXPECT_EQ(f.serial.speed, 4800);
    EXPECT_EQ(f.serial.parity, 0);
    EXPECT_EQ(f.serial.dataBits, 8);
    EXPECT_EQ(f.serial.flowControl, 0);
    EXPECT_EQ(f.serial.stopBits, 0);
    EXPECT_EQ(storedValue(f, "GPS_PORT_NAME"), "Com3");
    EXPECT_EQ(storedValue(f, "GPS_PORT_SPEED"), "");

    // What the menu shows checked, not the window's start-up mark.
    f.form.Menu_Stop_2_Click();
    f.form.GpsPortStopBits.clear();
    f.form.StartGPSPort();
    EXPECT_EQ(f.serial.stopBits, 2);

    f.form.Menu_Baud_9600_Click();
    EXPECT_EQ(f.serial.speed, 9600);
    EXPECT_EQ(storedValue(f, "GPS_PORT_SPEED"), "9600");
    EXPECT_EQ(storedValue(f, "GPS_PORT_PARITY"), "");
}

}  // namespace
}  // namespace quorvane::testing
