#include "platform/win32/win32_serial_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/serial_reader.h"
#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// Plays the window's thread: posted calls wait until the test runs them.
struct Window {
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    std::vector<std::string> lines, gone;
    std::vector<ArrivalStamps> stamps;

    void listen(SerialPort& port) {
        port.onRead = [this](const std::optional<std::string>& value, const ArrivalStamps& at) {
            lines.push_back(value.value_or("<null>"));
            stamps.push_back(at);
        };
        port.onGone = [this](const std::string& reason) { gone.push_back(reason); };
    }
    LineHandoff::Post post() {
        return [this](std::function<void()> call) {
            const std::lock_guard lock(mutex);
            posted.push_back(std::move(call));
        };
    }
    // Runs posted calls until `done` holds or the time is up.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
        for (const auto end = MonoClock::now() + limit; !done();) {
            std::function<void()> call;
            if (const std::lock_guard lock(mutex); !posted.empty()) {
                call = std::move(posted.front());
                posted.pop_front();
            }
            if (call) {
                call();
            } else if (MonoClock::now() > end) {
                return false;
            } else {
                std::this_thread::sleep_for(5ms);
            }
        }
        return true;
    }
};

std::string refusal(SerialPort& port, double number) {
    port.setPortNumber(number);
    try {
        port.setPortOpen(true);
    } catch (const SerialError& error) {
        return error.what();
    }
    return "(opened)";
}

TEST(Win32SerialPort, NumbersListedComPortsAndRefusesPortsThatDoNotExist) {
    Window window;
    Win32SerialPort port(window.post(), [] { return std::vector<std::string>{"COM3", "LPT1"}; });
    EXPECT_EQ(port.portList(), std::vector<int>{3});
    EXPECT_EQ(port.portDevice(3), "COM3");
    for (const double number : {251.0, 2.5, 0.0}) {
        EXPECT_EQ(refusal(port, number),
                  "Com" + numberText(number) +
                      " is not available: no serial port on this computer has that number. "
                      "Choose a port from the Port menu.");
        EXPECT_FALSE(port.portOpen());
    }
}

// A driver may hold a read whatever the port's timeouts say, as after its USB device was pulled
// out (a pipe's read never times out): the read is cancelled, and closing ends at once, telling
// nothing.
TEST(SerialReader, StopsAtOnceWhenAReadNeverReturns) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    Window window;
    LineHandoff handoff(window.post(), [](const ReceivedLine&) {});
    std::atomic<bool> gone{false};
    auto reader =
        std::make_unique<SerialReader>(readEnd, LineSplitter{}, handoff, [&gone] { gone = true; });
    std::this_thread::sleep_for(200ms);  // inside its read by now
    const auto before = MonoClock::now();
    reader.reset();
    EXPECT_LT(MonoClock::now() - before, 500ms);
    EXPECT_FALSE(gone);
    CloseHandle(writeEnd);
    CloseHandle(readEnd);
}

// Two COM ports joined by tests/win32/com_pair.py, named by QUORVANE_TEST_COM_PAIR ("201,202"):
// what the test writes to the second arrives at the component on the first.
class ComPair : public ::testing::Test {
protected:
    void SetUp() override {
        const char* pair = std::getenv("QUORVANE_TEST_COM_PAIR");
        if (pair == nullptr || std::sscanf(pair, "%d,%d", &number, &peerNumber) != 2) {
            GTEST_SKIP() << "no COM pair (QUORVANE_TEST_COM_PAIR, set by windows-cross-test.sh)";
        }
        const std::wstring peerPath = L"\\\\.\\COM" + std::to_wstring(peerNumber);
        peer = CreateFileW(peerPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(peer, INVALID_HANDLE_VALUE) << systemMessage(GetLastError());
        window.listen(port);
        port.setSpeed(4800);
        port.setPortNumber(number);
        port.setPortOpen(true);
        ASSERT_TRUE(port.portOpen());
    }
    void TearDown() override {
        if (peer != INVALID_HANDLE_VALUE) {
            CloseHandle(peer);
        }
    }
    void send(const std::string& bytes) {
        DWORD written = 0;
        ASSERT_TRUE(
            WriteFile(peer, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    std::string name() const {
        return "Com" + std::to_string(number) + " (COM" + std::to_string(number) + ")";
    }

    int number = 0, peerNumber = 0;
    HANDLE peer = INVALID_HANDLE_VALUE;
    Window window;
    Win32SerialPort port{window.post()};
};

TEST_F(ComPair, LinesArriveInOrderOnTheWindowsThreadStampedWhenRead) {
    const auto before = MonoClock::now();
    send("$GPRMC,1*00\r\n$GPG");
    std::this_thread::sleep_for(500ms);  // a rest inside a line: its stamp is its first byte
    send("GA,2*00\r\n");
    ASSERT_TRUE(window.runUntil([&] { return window.lines.size() >= 2; }));
    EXPECT_EQ(window.lines, (std::vector<std::string>{"$GPRMC,1*00\r", "\n$GPGGA,2*00\r"}));
    for (const ArrivalStamps& at : window.stamps) {
        EXPECT_GE(at.burstStart, before);
        EXPECT_LE(at.burstStart, at.firstByte);
    }
    // Stamped when read, not when the window's thread got to them 500 ms later.
    EXPECT_LT(window.stamps[0].firstByte, before + 400ms);
    EXPECT_LT(window.stamps[1].firstByte - window.stamps[0].firstByte, 250ms);

    // Windows opens a COM port for one handle at a time; Wine does not keep to that.
    if (!runningUnderWine()) {
        Win32SerialPort other(window.post());
        EXPECT_EQ(refusal(other, number), name() + " is in use by another program.");
    }
    // Lines read but not yet delivered when the port closes are never delivered.
    send("$GPRMC,3*00\r\n");
    std::this_thread::sleep_for(300ms);
    port.setPortOpen(false);
    window.runUntil([] { return false; }, 200ms);
    EXPECT_EQ(window.lines.size(), 2u);
    EXPECT_TRUE(window.gone.empty());
}

TEST_F(ComPair, AHungUpDeviceClosesThePortAndIsToldOnce) {
    send("$GPRMC,1*00\r\nHANGUP");
    window.runUntil([&] { return !window.gone.empty(); });
    window.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(window.lines, std::vector<std::string>{"$GPRMC,1*00\r"});
    EXPECT_EQ(window.gone, std::vector<std::string>{name() + ": the device went away"});
    EXPECT_FALSE(port.portOpen());
    port.setPortOpen(true);  // the device is back
    EXPECT_TRUE(port.portOpen());
}

}  // namespace
}  // namespace quorvane::testing
