#include <filesystem>
#include <fstream>
#include <sstream>

#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

namespace fs = std::filesystem;

std::string readCapture(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Delivers a capture as the serial component does: one event per CR, the CR kept at the end
// and the LF left at the front of the next, long lines in pieces of 4096 bytes. Returns the
// number of events; the last one's text, CR and LF removed, goes to lastLine.
int replay(FormFixture& f, const std::string& bytes, std::string& lastLine) {
    int events = 0;
    std::size_t start = 0;
    for (std::size_t cr; (cr = bytes.find('\r', start)) != std::string::npos; start = cr + 1) {
        for (std::size_t at = start; at <= cr; at += 4096, ++events) {
            std::string piece = bytes.substr(at, std::min<std::size_t>(4096, cr + 1 - at));
            f.serial.deliver(piece);
            std::erase(piece, '\r');
            std::erase(piece, '\n');
            lastLine = piece;
        }
    }
    return events;
}

TEST(RealCaptures, EveryCaptureIsDecodedLineByLine) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(QUORVANE_NMEA_LOGS)) {
        if (entry.path().extension() != ".nmea") {
            continue;
        }
        ++files;
        FormFixture f;
        f.load();
        std::string lastLine;
        const int events = replay(f, readCapture(entry.path()), lastLine);
        EXPECT_GT(events, 0) << entry.path();
        EXPECT_EQ(f.form.RxStaleCount, 10 - events) << entry.path();
        EXPECT_EQ(f.form.SentenceHistory[0], lastLine) << entry.path();
    }
    EXPECT_EQ(files, 36);
}

// Final state worked out by reading each file: the time from its last $GPRMC or $PGRMF, the
// position and altitude from the last sentence carrying them (altitude in feet).
struct Expected {
    std::string file;
    std::vector<std::string> displays;
    FixFields fix;
    const char* title;
    int fractionMs;
    std::optional<int> fixStaleCount;  // where the file makes it easy to follow
};

TEST(RealCaptures, FinalDisplaysMatchTheLastSentencesOfChosenFiles) {
    const std::vector<Expected> captures = {
        // $PGRMF last: position and time; $GPGGA 137.2 m before it. Fix count: $GPRMC -1,
        // $GPGGA quality 2 -3, $PGRMF fix type 2 -3 then -1.
        {"garmin17n-part1.nmea",
         {"16 Mar 05  0938:02", "N 52:13.1439", "E 021:00.6511", "450 feet"},
         {"09", "38", "02", "16", "03", "05"},
         "GARMIN",
         0,
         2},
        // Last $GPGGA (-9.1 m) after the last $PGRMZ (-30 f).
        {"foretrex-201.nmea",
         {"26 Aug 10  2000:16", "N 55:04.4344", "E 010:25.5384", "-30 feet"},
         {"20", "00", "16", "26", "08", "10"},
         "NMEA-0183",
         0,
         std::nullopt},
        // Times ending .99; altitude 00462.5 m.
        {"gp-320fw-2019-03-28.nmea",
         {"28 Mar 19  1645:36", "N 48:08.9986", "E 011:35.0872", "1,517 feet"},
         {"16", "45", "36", "28", "03", "19"},
         "NMEA-0183",
         990,
         std::nullopt},
        // Garbled cold boot settling on a 1999 date; its last $GPGGA has an empty altitude and
        // quality 0, and nothing after it moves the fix count.
        {"gp-320fw-2019-04-07-coldboot.nmea",
         {"22 Aug 99  0004:35", "N 00:00.0000", "E 000:00.0000", "0 feet"},
         {"00", "04", "35", "22", "08", "99"},
         "NMEA-0183",
         0,
         10},
    };
    for (const Expected& capture : captures) {
        FormFixture f;
        f.load();
        std::string lastLine;
        replay(f, readCapture(fs::path(QUORVANE_NMEA_LOGS) / capture.file), lastLine);
        EXPECT_EQ(displays(f.form), capture.displays) << capture.file;
        EXPECT_EQ(f.form.FixTime, capture.fix) << capture.file;
        EXPECT_EQ(f.form.BalloonTitle, capture.title) << capture.file;
        // Each file's last time-carrying sentence has a correct checksum.
        ASSERT_TRUE(f.form.LastClockFix) << capture.file;
        EXPECT_EQ(f.form.LastClockFix->fields, capture.fix) << capture.file;
        EXPECT_EQ(f.form.LastClockFix->fractionMs, capture.fractionMs) << capture.file;
        if (capture.fixStaleCount) {
            EXPECT_EQ(f.form.FixStaleCount, *capture.fixStaleCount) << capture.file;
        }
    }
}

// A receiver that names its fixes $GNRMC, a second per RMC, the heartbeat running: checked, a
// valid fix that sets the clock; unchecked, after 15 s, one notice in the tray, unless $GPRMC
// copies come as well.
TEST(RealCaptures, AMultiSystemReceiverGivesAFixOnlyWhenItsTalkersAreAccepted) {
    const std::string bytes = readCapture(fs::path(QUORVANE_NMEA_LOGS) / "neo-m8n.nmea");
    const std::string told =
        "This receiver names its fixes $GNRMC (several satellite systems). Quorvane reads them "
        "when Comm > Accept All Satellite Systems is checked.";
    // Checked, $GPRMC copies too, the RMC at which the user is told (0: never).
    for (const auto& [accept, withGp, toldAt] :
         {std::tuple{true, false, 0}, {false, true, 0}, {false, false, 16}}) {
        FormFixture f;
        f.load();
        f.form.EarliestFixDate = DateTime{2015, 1, 1};
        f.form.AcceptAllSatelliteSystems.setChecked(accept);
        int rmc = 0, toldAtRmc = 0;
        for (std::size_t at = 0, end; (end = bytes.find('\n', at)) != std::string::npos;
             at = end + 1) {
            const std::string line = bytes.substr(at, end + 1 - at);
            if (line.compare(3, 4, "RMC,") == 0) {
                ++rmc;
                f.clock.advance(std::chrono::seconds(1));
                f.form.Timer1_Timer();
                if (withGp) {
                    f.serial.deliver("$GP" + line.substr(3, line.find('*') - 3), {f.clock.mono});
                }
            }
            f.serial.deliver(line, {f.clock.mono, f.clock.mono});
            toldAtRmc = toldAtRmc ? toldAtRmc : (f.tray.messages.empty() ? 0 : rmc);
        }
        f.form.SetComputerClock_Click();
        EXPECT_EQ(f.clock.setCalls.size(), accept ? 1u : 0u);
        EXPECT_EQ(toldAtRmc, toldAt);
        EXPECT_TRUE(!toldAt || (f.tray.messages.size() == 1 && f.tray.messages[0].text == told));
    }
}

}  // namespace
}  // namespace quorvane::testing
