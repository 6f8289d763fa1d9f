#include "platform/win32/win32_serial_port.h"

#include <gtest/gtest.h>

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

#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

// The window's thread, played by the test: posted calls wait until the test runs them.
struct PostedCalls {
    std::mutex mutex;
    std::deque<std::function<void()>> calls;

    LineHandoff::Post post() {
        return [this](std::function<void()> call) {
            const std::lock_guard lock(mutex);
            calls.push_back(std::move(call));
        };
    }
    // Runs posted calls until `done` or the time is up.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::function<void()> call;
            {
                const std::lock_guard lock(mutex);
                if (!calls.empty()) {
                    call = std::move(calls.front());
                    calls.pop_front();
                }
            }
            if (call) {
                call();
            } else if (std::chrono::steady_clock::now() > end) {
                return false;
            } else {
                std::this_thread::sleep_for(5ms);
            }
        }
        return true;
    }
};

struct Received {
    std::vector<std::string> lines;
    std::vector<ArrivalStamps> stamps;
    std::vector<std::string> gone;

    void listen(SerialPort& port) {
        port.onRead = [this](const std::optional<std::string>& value, const ArrivalStamps& at) {
            lines.push_back(value.value_or("<null>"));
            stamps.push_back(at);
        };
        port.onGone = [this](const std::string& reason) { gone.push_back(reason); };
    }
};

std::string refusal(const std::function<void()>& call) {
    try {
        call();
    } catch (const SerialError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(Win32SerialPort, RefusesWhatNoPortCanDoWithTheUsersWords) {
    PostedCalls window;
    Win32SerialPort port(window.post(), [] { return std::vector<std::string>{"COM3", "LPT1"}; });
    EXPECT_EQ(port.portList(), std::vector<int>{3});
    EXPECT_EQ(port.portDevice(3), "COM3");

    const std::string absent =
        " is not available: no serial port on this computer has that number. Choose a port "
        "from the Port menu.";
    const struct {
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {[&] { port.setParity(5); }, "Unknown parity setting 5."},
        {[&] { port.setStopBits(3); }, "Unknown stop-bits setting 3."},
        {[&] { port.setFlowControl(3); }, "Unknown flow-control setting 3."},
        {[&] { port.setDataBits(9); }, "9 data bits are not possible; choose 7 or 8."},
        {[&] { port.setSpeed(0); },
         "A line speed of 0 bits per second is not possible; choose one from the Baud menu."},
        {[&] { port.setTerminator("\r\n"); }, "The line terminator must be a single character."},
        {[&] {
             port.setPortNumber(251);
             port.setPortOpen(true);
         },
         "Com251" + absent},
        {[&] {
             port.setPortNumber(2.5);
             port.setPortOpen(true);
         },
         "Com2.5" + absent},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusal(c.call), c.message);
        EXPECT_FALSE(port.portOpen());
    }
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
        received.listen(port);
        port.setSpeed(4800);
        port.setTerminator("\r");
        port.setPortNumber(number);
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
        ASSERT_EQ(written, bytes.size());
    }
    bool linesReach(std::size_t count) {
        return window.runUntil([&] { return received.lines.size() >= count; });
    }

    int number = 0;
    int peerNumber = 0;
    HANDLE peer = INVALID_HANDLE_VALUE;
    PostedCalls window;
    Win32SerialPort port{window.post()};
    Received received;
};

TEST_F(ComPair, LinesArriveInOrderOnTheWindowsThreadStampedWhenRead) {
    port.setPortOpen(true);
    ASSERT_TRUE(port.portOpen());
    const auto before = MonoClock::now();
    send("$GPRMC,1*00\r\n$GPG");
    std::this_thread::sleep_for(150ms);  // a rest inside a line: the stamp is its first byte
    send("GA,2*00\r\n");
    ASSERT_TRUE(linesReach(2)) << received.lines.size() << " lines";
    const auto after = MonoClock::now();
    EXPECT_EQ(received.lines, (std::vector<std::string>{"$GPRMC,1*00\r", "\n$GPGGA,2*00\r"}));
    for (const ArrivalStamps& at : received.stamps) {
        EXPECT_GE(at.burstStart, before);
        EXPECT_LE(at.firstByte, after);
        EXPECT_LE(at.burstStart, at.firstByte);
    }
    EXPECT_LT(received.stamps[1].firstByte - received.stamps[0].firstByte, 100ms);

    // A second component cannot have the port while this one does. Windows opens a COM port
    // for one handle at a time; Wine does not keep to that.
    if (!runningUnderWine()) {
        Win32SerialPort other(window.post());
        other.setPortNumber(number);
        EXPECT_EQ(refusal([&] { other.setPortOpen(true); }), "Com" + std::to_string(number) +
                                                                 " (COM" + std::to_string(number) +
                                                                 ") is in use by another program");
    }

    // Lines read but not yet delivered when the port closes are never delivered.
    send("$GPRMC,3*00\r\n");
    std::this_thread::sleep_for(300ms);
    port.setPortOpen(false);
    window.runUntil([] { return false; }, 200ms);
    EXPECT_EQ(received.lines.size(), 2u);
    EXPECT_TRUE(received.gone.empty());
}

TEST_F(ComPair, AHungUpDeviceClosesThePortAndIsToldOnce) {
    port.setPortOpen(true);
    ASSERT_TRUE(port.portOpen());
    send("$GPRMC,1*00\r\n");
    ASSERT_TRUE(linesReach(1));
    send("HANGUP");
    ASSERT_TRUE(window.runUntil([&] { return !received.gone.empty(); }));
    window.runUntil([] { return false; }, 300ms);
    const std::string name = "Com" + std::to_string(number);
    EXPECT_EQ(received.gone, std::vector<std::string>{name + " (COM" + std::to_string(number) +
                                                      "): the device went away"});
    EXPECT_FALSE(port.portOpen());
    // The port opens again once the device is back.
    port.setPortOpen(true);
    EXPECT_TRUE(port.portOpen());
}

}  // namespace
}  // namespace quorvane::testing
