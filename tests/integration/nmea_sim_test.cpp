#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "nmea/date_format.h"
#include "platform/date_time.h"
#include "platform/qt/qt_serial_port.h"
#include "serial_simulator.h"
#include "serial_test_support.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono;
namespace fs = std::filesystem;

// Everything each port sends until its simulator ends, read side by side: a port that goes
// away takes its unread bytes with it.
std::vector<std::string> readToEnd(const std::vector<fs::path>& devices) {
    std::vector<pollfd> fds;
    for (const auto& device : devices) {
        fds.push_back({::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK), POLLIN, 0});
    }
    std::vector<std::string> bytes(devices.size());
    for (std::size_t open = devices.size(); open > 0 && ::poll(fds.data(), fds.size(), 5000) > 0;) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                bytes[i].append(chunk, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EAGAIN) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0) {
            ::close(p.fd);
        }
    }
    return bytes;
}

// From the first sentence on: on a busy machine the reader may open the link after the
// simulator began a line, and what went before was never read.
std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = std::min(bytes.find('$'), bytes.size());
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// "$body*HH" with HH the XOR of the body's bytes, and nothing outside printable ASCII.
bool wellFormed(const std::string& line) {
    const auto star = line.rfind('*');
    if (line.size() < 4 || line[0] != '$' || star == std::string::npos || star + 3 != line.size()) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i) {
        if (line[i] < ' ' || line[i] > '~') {
            return false;
        }
        sum ^= static_cast<unsigned char>(line[i]);
    }
    char expected[3];
    std::snprintf(expected, sizeof expected, "%02X", sum);
    return line.compare(star + 1, 2, expected) == 0;
}

std::string field(const std::string& line, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n && start != std::string::npos; ++i) {
        start = line.find(',', start);
        start = start == std::string::npos ? start : start + 1;
    }
    return start == std::string::npos ? ""
                                      : line.substr(start, line.find_first_of(",*", start) - start);
}

std::int64_t wallMilliseconds(MonoTime stamp, system_clock::duration wallMinusMono) {
    return duration_cast<milliseconds>(stamp.time_since_epoch() + wallMinusMono).count();
}

TEST(NmeaSimulator, ReadThroughTheComponentItFollowsTheSystemClock) {
    qtApplication();
    TempPortsFolder folder("sim-clock");
    Simulator sim(folder, 210, {"--delay-ms", "300"});
    ASSERT_TRUE(sim.waitForLink());

    QtSerialPort port(folder.path(), [] { return std::vector<std::string>{}; });
    std::vector<std::pair<std::string, ArrivalStamps>> lines;
    port.onRead = [&](const std::optional<std::string>& value, const ArrivalStamps& stamps) {
        std::string text = value.value_or("");
        std::erase(text, '\n');
        std::erase(text, '\r');
        if (!lines.empty() || text.starts_with("$GPRMC")) {  // from the first whole burst on
            lines.emplace_back(text, stamps);
        }
    };
    const auto wallMinusMono =
        system_clock::now().time_since_epoch() - MonoClock::now().time_since_epoch();
    port.setSpeed(4800);
    port.setPortNumber(210);
    port.setPortOpen(true);
    ASSERT_TRUE(pumpUntil([&] { return lines.size() >= 16; }, milliseconds(6000)));

    std::vector<std::int64_t> lateness;
    ArrivalStamps burst;
    for (const auto& [text, stamps] : lines) {
        EXPECT_TRUE(wellFormed(text)) << text;
        if (!text.starts_with("$GPRMC")) {
            EXPECT_EQ(stamps.burstStart, burst.burstStart) << text;  // one burst, one start
            continue;
        }
        burst = stamps;
        const std::int64_t startMs = wallMilliseconds(stamps.burstStart, wallMinusMono);
        lateness.push_back(startMs % 1000 - 300);
        const DateTime reported = fromEpochMilliseconds((startMs - 300 + 500) / 1000 * 1000);
        char time[16], date[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", reported.hour, reported.minute,
                      reported.second);
        std::snprintf(date, sizeof date, "%02d%02d%02d", reported.day, reported.month,
                      reported.year % 100);
        EXPECT_EQ(field(text, 1), time) << text;
        EXPECT_EQ(field(text, 9), date) << text;
    }
    ASSERT_GE(lateness.size(), 3u);
    std::sort(lateness.begin(), lateness.end());
    const std::int64_t median = lateness[lateness.size() / 2];
    RecordProperty("median_ms_late", std::to_string(median));
    EXPECT_LE(std::abs(median), 10) << "bursts start this many ms after the chosen delay";

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.link())));
}

// The system hands the next simulator the pseudo-terminal number of the killed one, so its
// leftover link points at a device that exists again.
TEST(NmeaSimulator, StartsAgainAfterBeingKilledAtTheSameLink) {
    TempPortsFolder folder("sim-killed");
    Simulator first(folder, 211, {});
    ASSERT_TRUE(first.waitForLink());
    first.kill();
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(first.link()))) << "a killed run leaves it";

    Simulator second(folder, 211, {});
    ASSERT_TRUE(second.waitForLink());
    ::usleep(200000);
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), 0) << "the second simulator gave up";
    EXPECT_EQ(second.stop(), 0);
}

TEST(NmeaSimulator, ModesSendWhatTheyName) {
    TempPortsFolder folder("sim-modes");
    std::ofstream(fs::path(folder.path()) / "capture.nmea", std::ios::binary)
        << "$GPRMC,120000,A,1\r\n$GPGGA,120000,x\r\n$GPRMC,120001,A,2\r\n";
    // Long enough for two whole bursts whatever the phase of the start, the half-second
    // offset of --fraction included.
    const std::vector<std::string> run = {"--seconds", "2.7", "--delay-ms", "0"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.end(), run.begin(), run.end());
        return extra;
    };
    Simulator garmin(folder, 211, with({"--mode", "garmin", "--alt", "100"}));
    Simulator nofix(folder, 212, with({"--mode", "nofix", "--fraction", "50"}));
    Simulator silent(folder, 213, with({"--mode", "silent"}));
    Simulator replay(folder, 214, with({"--replay", folder.path() + "/capture.nmea"}));
    Simulator usb(folder, 215, with({"--talker", "GN", "--delivery", "usb:64"}));
    Simulator adapter(folder, 216, with({"--delivery", "adapter:16", "--baud", "9600"}));
    for (Simulator* sim : {&garmin, &nofix, &silent, &replay, &usb, &adapter}) {
        ASSERT_TRUE(sim->waitForLink());
    }

    const auto sent = readToEnd(
        {garmin.link(), nofix.link(), silent.link(), replay.link(), usb.link(), adapter.link()});
    const auto garminLines = splitLines(sent[0]);
    ASSERT_GE(garminLines.size(), 7u);
    for (const std::string& line : garminLines) {
        EXPECT_TRUE(wellFormed(line)) << line;
    }
    EXPECT_TRUE(std::any_of(garminLines.begin(), garminLines.end(), [](const std::string& l) {
        return l.starts_with("$PGRMZ,328,f,3*");  // 100 m
    }));
    EXPECT_TRUE(std::any_of(garminLines.begin(), garminLines.end(), [](const std::string& l) {
        return l.starts_with("$PGRMF,") && field(l, 6) == "4807.0380" &&
               field(l, 8) == "01131.0000";
    }));

    const auto nofixLines = splitLines(sent[1]);
    ASSERT_GE(nofixLines.size(), 4u);
    for (const auto& line : nofixLines) {
        EXPECT_TRUE(wellFormed(line)) << line;
        if (line.starts_with("$GPRMC")) {
            EXPECT_EQ(field(line, 1).substr(6), ".50") << line;
            EXPECT_EQ(field(line, 2) + field(line, 3) + field(line, 5), "V") << line;
        }
        if (line.starts_with("$GPGGA")) {
            EXPECT_EQ(field(line, 2) + field(line, 4) + "/" + field(line, 6), "/0") << line;
        }
    }

    EXPECT_EQ(sent[2], "");
    EXPECT_TRUE(sent[3].starts_with("$GPRMC,120000,A,1\r\n$GPGGA,120000,x\r\n"));

    // Other deliveries carry the same sentences; the talker names RMC and GGA.
    for (const std::size_t i : {4u, 5u}) {
        const auto lines = splitLines(sent[i]);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), wellFormed));
        EXPECT_EQ(sent[i].find("$GNRMC,") != std::string::npos, i == 4);
    }

    // Each ends by itself after its run and takes its link away.
    for (Simulator* sim : {&garmin, &nofix, &silent, &replay, &usb, &adapter}) {
        EXPECT_EQ(sim->wait(), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(sim->link())));
    }
}

// The whole receiving road: the simulator's port opened by the window's own routine, the
// displays following what it sends.
TEST(NmeaSimulator, TheWindowFollowsTheSimulator) {
    qtApplication();
    TempPortsFolder folder("sim-window");
    Simulator sim(folder, 215,
                  {"--delay-ms", "100", "--lat", "-33.8568", "--lon", "151.2153", "--alt", "58"});
    ASSERT_TRUE(sim.waitForLink());
    QtSerialPort port(folder.path(), [] { return std::vector<std::string>{}; });
    FormOnRealPort window(port, "Com215");
    Form1& form = window.form;

    form.SaveAndStartGPSPort();
    ASSERT_TRUE(window.desktop.messages.empty()) << window.desktop.messages[0].text;
    ASSERT_TRUE(port.portOpen());
    auto fixShown = [&] {
        return !form.TimeGPS.text().empty() && form.TimeGPS.text() != "Quorvane" &&
               !form.GPSAltitude.text().empty() && form.GPSAltitude.text() != "Quorvane";
    };
    ASSERT_TRUE(pumpUntil(fixShown, milliseconds(5000))) << form.TimeGPS.text();

    auto shownSecondIsNow = [&] {
        const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
        const std::int64_t second = (now.count() - 100) / 1000 * 1000;
        const std::string shown = form.TimeGPS.text();
        return shown == formatDisplayDateTime(fromEpochMilliseconds(second)) ||
               shown == formatDisplayDateTime(fromEpochMilliseconds(second - 1000));
    };
    EXPECT_TRUE(shownSecondIsNow()) << form.TimeGPS.text();
    EXPECT_EQ(form.GPSLatitude.text(), "S 33:51.4080");
    EXPECT_EQ(form.GPSLongitude.text(), "E 151:12.9180");
    EXPECT_EQ(form.GPSAltitude.text(), "190 feet");

    // Two seconds on, the fix time has moved on with the simulator.
    const std::string first = form.TimeGPS.text();
    pumpFor(milliseconds(2000));
    EXPECT_NE(form.TimeGPS.text(), first);
    EXPECT_TRUE(shownSecondIsNow()) << form.TimeGPS.text();
}

}  // namespace
}  // namespace quorvane::testing
