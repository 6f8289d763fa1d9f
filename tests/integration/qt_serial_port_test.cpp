#include "platform/qt/qt_serial_port.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/stat.h>

#include <memory>
#include <thread>

#include "serial_test_support.h"

namespace quorvane::testing {
namespace {

using std::chrono::milliseconds;

constexpr int kNumber = 201;

struct Delivered {
    std::string text;
    ArrivalStamps stamps;
};

class QtSerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        qtApplication();
        folder.link(kNumber, pty->slaveName());
        port.onRead = [this](const std::optional<std::string>& value, const ArrivalStamps& s) {
            lines.push_back({value.value_or("<null>"), s});
        };
        port.onGone = [this](const std::string& reason) { losses.push_back(reason); };
    }

    void open8N1(double speed = 4800, std::int16_t stopBits = 0) {
        port.setParity(0);
        port.setStopBits(stopBits);
        port.setFlowControl(0);
        port.setDataBits(8);
        port.setSpeed(speed);
        port.setPortNumber(kNumber);
        port.setTerminator("\r");
        port.setPortOpen(true);
    }

    std::string joined() const {
        std::string all;
        for (const auto& line : lines) {
            all += line.text;
        }
        return all;
    }

    // The description the component gives when opening fails.
    std::string openFailure() {
        try {
            port.setPortOpen(true);
        } catch (const SerialError& error) {
            return error.what();
        }
        return "(opened)";
    }

    TempPortsFolder folder{"serial"};
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    QtSerialPort port{folder.path(), [] { return std::vector<std::string>{}; }};
    std::vector<Delivered> lines;
    std::vector<std::string> losses;
};

TEST_F(QtSerialPortOnPty, AwkwardPiecesArriveAsWholeLines) {
    EXPECT_EQ(port.portList(), std::vector<int>{kNumber});
    EXPECT_EQ(port.portDevice(kNumber), std::filesystem::canonical(pty->slaveName()).string());
    open8N1();
    ASSERT_TRUE(port.portOpen());

    const MonoTime before = MonoClock::now();
    pty->write("$GPRMC,1*00\r");  // its LF comes in the next write
    ASSERT_TRUE(pumpUntil([&] { return lines.size() == 1; }, milliseconds(2000)));
    pty->write("\n$GPGGA,2*00\r\n$GPGSA,3*00\r\n");
    const std::string big(10000, 'A');
    pty->write(big);
    pty->write("\r\n");
    const std::string expected = "$GPRMC,1*00\r\n$GPGGA,2*00\r\n$GPGSA,3*00\r\n" + big + "\r";
    ASSERT_TRUE(pumpUntil([&] { return joined().size() >= expected.size(); }, milliseconds(3000)));
    pumpFor(milliseconds(50));

    EXPECT_EQ(joined(), expected);  // the final LF waits for its line's CR
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0].text, "$GPRMC,1*00\r");
    EXPECT_EQ(lines[1].text, "\n$GPGGA,2*00\r");
    EXPECT_EQ(lines[2].text, "\n$GPGSA,3*00\r");
    for (std::size_t i = 3; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].text.size(), 4096u);
        EXPECT_EQ(lines[i].text.back() == '\r', i + 1 == lines.size()) << i;
    }
    for (const auto& line : lines) {
        EXPECT_LE(before, line.stamps.burstStart);
        EXPECT_LE(line.stamps.burstStart, line.stamps.firstByte);
        EXPECT_LE(line.stamps.firstByte, MonoClock::now());
    }
}

TEST_F(QtSerialPortOnPty, SettingsTakeEffectAtOpenAndRefusalsSayWhatToChange) {
    open8N1(4800, 2);
    termios settings = pty->settings();
    EXPECT_EQ(cfgetispeed(&settings), B4800);
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    port.setSpeed(9600);  // while open: at once
    settings = pty->settings();
    EXPECT_EQ(cfgetispeed(&settings), B9600);

    port.setPortOpen(false);
    port.setFlowControl(2);
    std::string why = openFailure();
    EXPECT_NE(why.find("DSR/DTR"), std::string::npos) << why;
    EXPECT_NE(why.find("Flow menu"), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());

    port.setFlowControl(0);
    port.setStopBits(1);
    why = openFailure();
    EXPECT_NE(why.find("1.5 stop bits"), std::string::npos) << why;
    EXPECT_NE(why.find("Stop menu"), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());

    port.setStopBits(0);
    port.setDataBits(7);  // a pseudo-terminal carries 8 bits only
    why = openFailure();
    EXPECT_NE(why.find("Com201 (" + port.portDevice(kNumber) + ") does not accept 7 data bits"),
              std::string::npos)
        << why;
    EXPECT_FALSE(port.portOpen());

    port.setDataBits(8);
    EXPECT_EQ(openFailure(), "(opened)");
    EXPECT_TRUE(port.portOpen());
    EXPECT_THROW(port.setParity(9), SerialError);
    EXPECT_THROW(port.setTerminator(""), SerialError);
}

TEST_F(QtSerialPortOnPty, APortThatDoesNotExistTakesTheFailurePath) {
    port.setPortNumber(42);
    const std::string why = openFailure();
    EXPECT_NE(why.find("Com42 is not available"), std::string::npos) << why;
    EXPECT_FALSE(port.portOpen());

    // Through the window's own opening routine.
    FormOnRealPort window(port, "Com42");
    Form1& form = window.form;
    FakeDesktop& desktop = window.desktop;
    form.StartGPSPort();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "GPS PORT ERROR : " + why);
    EXPECT_EQ(desktop.messages[0].title, "Quorvane");
    EXPECT_EQ(form.GpsPortName, "None/Reset");
    EXPECT_FALSE(port.portOpen());
}

TEST_F(QtSerialPortOnPty, AVanishedDeviceClosesQuietlyAndCanBeOpenedAgain) {
    open8N1();
    pty->write("$GPRMC,1*00\r\n");
    ASSERT_TRUE(pumpUntil([&] { return lines.size() == 1; }, milliseconds(2000)));

    const std::string device = port.portDevice(kNumber);
    pty->closeMaster();
    EXPECT_TRUE(pumpUntil([&] { return !port.portOpen(); }, milliseconds(3000)));
    pumpFor(milliseconds(200));
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(lines.size(), 1u);
    // Reported once, however often Qt reports the hung-up line.
    EXPECT_EQ(losses, std::vector<std::string>{"Com201 (" + device + "): the device went away"});

    // The device comes back (a new pseudo-terminal behind the same number).
    pty = std::make_unique<PtyPair>();
    folder.link(kNumber, pty->slaveName());
    port.setPortOpen(true);
    ASSERT_TRUE(port.portOpen());
    pty->write("$GPGGA,2*00\r\n");
    ASSERT_TRUE(pumpUntil([&] { return lines.size() == 2; }, milliseconds(2000)));
    EXPECT_EQ(lines[1].text, "$GPGGA,2*00\r");

    // Closes the program asks for are no losses, even of a device that has just gone.
    port.setPortOpen(false);
    port.setPortOpen(true);
    pty->closeMaster();
    port.setPortOpen(false);
    pumpFor(milliseconds(200));
    EXPECT_EQ(losses.size(), 1u);
}

TEST_F(QtSerialPortOnPty, APortHeldByAnotherProgramSaysSo) {
    open8N1();
    ASSERT_TRUE(port.portOpen());
    const std::string inUse =
        "Com201 (" + port.portDevice(kNumber) + ") is in use by another program.";

    QtSerialPort second(folder.path(), [] { return std::vector<std::string>{}; });
    second.setPortNumber(kNumber);
    try {
        second.setPortOpen(true);
        ADD_FAILURE() << "opened a port held by another";
    } catch (const SerialError& error) {
        EXPECT_EQ(error.what(), inUse);
    }
    FormOnRealPort window(second, "Com201");
    window.form.StartGPSPort();
    ASSERT_EQ(window.desktop.messages.size(), 1u);
    EXPECT_EQ(window.desktop.messages[0].text, "GPS PORT ERROR : " + inUse);
    EXPECT_TRUE(port.portOpen());  // the holder keeps it
}

// Another program's exclusive hold without a lock file, and a device this user may not open, as
// an ordinary user meets them (root passes both).
TEST_F(QtSerialPortOnPty, AnExclusiveHoldIsInUseAndARefusalStaysARefusal) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can become the ordinary user that meets these";
    }
    const std::string device = port.portDevice(kNumber);
    const auto failureAsNobody = [&](mode_t mode, bool exclusive) {
        ::chmod(device.c_str(), mode);
        const int holder = ::open(device.c_str(), O_RDONLY | O_NOCTTY);
        if (exclusive) {
            ::ioctl(holder, TIOCEXCL);
        }
        // A port of the child's own: the parent's reader thread does not cross the fork.
        const std::string why = inChildAsNobody([&] {
            QtSerialPort mine(folder.path(), [] { return std::vector<std::string>{}; });
            mine.setPortNumber(kNumber);
            try {
                mine.setPortOpen(true);
            } catch (const SerialError& error) {
                return std::string(error.what());
            }
            return std::string("(opened)");
        });
        ::close(holder);
        return why;
    };
    EXPECT_EQ(failureAsNobody(0666, true), "Com201 (" + device + ") is in use by another program.");
    const std::string refused = failureAsNobody(0600, false);
    EXPECT_EQ(refused, "Com201 (" + device + ") could not be opened: Permission denied.");
}

// The reader stamps each chunk as it comes, whatever the window's thread is doing; the window's
// thread alone sees the lines and the loss.
TEST_F(QtSerialPortOnPty, ABusyWindowNeverDelaysAStamp) {
    const auto sleeps = [] { std::this_thread::sleep_for(milliseconds(400)); };
    const auto spins = [] {
        const MonoTime until = MonoClock::now() + milliseconds(400);
        while (MonoClock::now() < until) {
        }
    };
    std::vector<Qt::HANDLE> threads;
    port.onRead = [&](const std::optional<std::string>& value, const ArrivalStamps& s) {
        lines.push_back({value.value_or("<null>"), s});
        threads.push_back(QThread::currentThreadId());
    };
    port.onGone = [&](const std::string& reason) {
        losses.push_back(reason);
        threads.push_back(QThread::currentThreadId());
    };
    open8N1(38400);
    for (const auto& busy : {std::function<void()>(sleeps), std::function<void()>(spins)}) {
        lines.clear();
        const MonoTime sent = MonoClock::now();
        pty->write("$GPRMC,1*00\r\n$GPGGA,2*00\r\n");
        busy();  // a box, a menu, a repaint: the window's thread takes no events
        const MonoTime freed = MonoClock::now();
        ASSERT_TRUE(pumpUntil([&] { return lines.size() == 2; }, milliseconds(2000)));
        for (const auto& line : lines) {
            // A read of several bytes is back-dated by their time on a 38400-baud line.
            EXPECT_GE(line.stamps.firstByte, sent - milliseconds(10));
            EXPECT_LT(line.stamps.firstByte - sent, milliseconds(200)) << line.text;
            EXPECT_LT(line.stamps.firstByte, freed);
        }
        EXPECT_NE(lines[0].text.find("$GPRMC,1*00\r"), std::string::npos) << lines[0].text;
    }
    pty->closeMaster();
    spins();
    ASSERT_TRUE(pumpUntil([&] { return !losses.empty(); }, milliseconds(2000)));
    pumpFor(milliseconds(100));
    EXPECT_EQ(losses.size(), 1u);
    EXPECT_EQ(threads, std::vector<Qt::HANDLE>(threads.size(), QThread::currentThreadId()));
}

}  // namespace
}  // namespace quorvane::testing
