#include "platform/line_splitter.h"

#include <gtest/gtest.h>

#include "line_splitter_bursts.h"

#include <random>

namespace quorvane {
namespace {

using std::chrono::milliseconds;
using testing::fullSet;

const MonoTime t0 = testing::kSplitterStart;

std::vector<std::string> texts(const std::vector<ReceivedLine>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        out.push_back(line.text);
    }
    return out;
}
TEST(LineSplitter, CutsAtTheTerminatorAndKeepsIt) {
    LineSplitter splitter;
    // CR LF split between two reads: the LF begins the next line.
    EXPECT_TRUE(splitter.feed("$GPRMC,1*00", t0).empty());
    EXPECT_EQ(texts(splitter.feed("\r", t0)), std::vector<std::string>{"$GPRMC,1*00\r"});
    EXPECT_EQ(texts(splitter.feed("\n$GPGGA,2\r\n$GPGSA,3\r\n$GPG", t0)),
              (std::vector<std::string>{"\n$GPGGA,2\r", "\n$GPGSA,3\r"}));
    EXPECT_EQ(texts(splitter.feed("SV\r\r", t0)), (std::vector<std::string>{"\n$GPGSV\r", "\r"}));

    splitter.feed("half a line", t0);
    splitter.reset();
    EXPECT_EQ(texts(splitter.feed("x\r", t0)), std::vector<std::string>{"x\r"});

    splitter.setTerminator('\n');
    EXPECT_EQ(texts(splitter.feed("a\r\nb\n", t0)), (std::vector<std::string>{"a\r\n", "b\n"}));
}

TEST(LineSplitter, DeliversAnOverlongLineInPiecesOfAtMost4096) {
    LineSplitter splitter;
    const std::string big(10000, 'A');
    const auto pieces = splitter.feed(big, t0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text.size(), 4096u);
    EXPECT_EQ(pieces[1].text.size(), 4096u);
    const auto rest = splitter.feed("\r", t0);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].text, std::string(10000 - 2 * 4096, 'A') + "\r");

    // A line of exactly 4096 bytes with its terminator is still one line.
    const std::string full = std::string(4095, 'B') + "\r";
    EXPECT_EQ(texts(splitter.feed(full, t0)), std::vector<std::string>{full});
    // One byte more and the terminator lands in a piece of its own.
    EXPECT_EQ(texts(splitter.feed(std::string(4096, 'C') + "\r", t0)),
              (std::vector<std::string>{std::string(4096, 'C'), "\r"}));
}

TEST(LineSplitter, RandomChunksLoseNothingAndStayBounded) {
    std::mt19937 random(7);
    std::string stream;
    for (int i = 0; i < 200000; ++i) {
        const auto r = random() % 100;
        stream += r < 3 ? '\r' : r < 5 ? '\n' : r < 6 ? '\0' : static_cast<char>('!' + r);
    }
    stream += std::string(9000, 'x') + "\r";
    LineSplitter splitter;
    std::string joined;
    MonoTime now = t0;
    for (std::size_t pos = 0; pos < stream.size();) {
        const std::size_t count = std::min<std::size_t>(random() % 700, stream.size() - pos);
        now += milliseconds(random() % 80);
        for (const auto& line : splitter.feed(std::string_view(stream).substr(pos, count), now)) {
            ASSERT_LE(line.text.size(), LineSplitter::kMaxLine);
            ASSERT_TRUE(line.text.back() == '\r' || line.text.size() == LineSplitter::kMaxLine);
            ASSERT_LE(line.stamps.burstStart, line.stamps.firstByte);
            joined += line.text;
        }
        pos += count;
    }
    EXPECT_EQ(joined, stream);
}

TEST(LineSplitter, StampsTheBurstStartAndTheLinesOwnFirstByte) {
    LineSplitter splitter;
    // A burst: three reads 10 ms apart, the second line straddling two of them.
    auto first = splitter.feed("$GPRMC\r\n$GP", t0);
    auto second = splitter.feed("GGA\r\n", t0 + milliseconds(10));
    auto third = splitter.feed("$GPGSA\r\n", t0 + milliseconds(20));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].stamps.burstStart, t0);
    EXPECT_EQ(first[0].stamps.firstByte, t0);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].stamps.burstStart, t0);
    EXPECT_EQ(second[0].stamps.firstByte, t0);  // its "\n$GP" came with the first read
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].stamps.burstStart, t0);
    EXPECT_EQ(third[0].stamps.firstByte, t0 + milliseconds(20));  // not the LF before it

    // A quiet gap starts the next burst, even for a line begun before it.
    splitter.feed("$GPGSV", t0 + milliseconds(30));
    const MonoTime next = t0 + milliseconds(30 + 50);
    const auto late = splitter.feed("\r\n$GPRMC\r", next);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].stamps.burstStart, t0);
    EXPECT_EQ(late[1].stamps.burstStart, next);

    // The LF that ends a burst comes with it; the next burst's first line starts after it.
    splitter.feed("$GPGSV\r\n", next + milliseconds(10));
    const MonoTime later = next + milliseconds(400);
    const auto nextBurst = splitter.feed("$GPRMC\r", later);
    ASSERT_EQ(nextBurst.size(), 1u);
    EXPECT_EQ(nextBurst[0].text, "\n$GPRMC\r");
    EXPECT_EQ(nextBurst[0].stamps.firstByte, later);
    EXPECT_EQ(nextBurst[0].stamps.burstStart, later);

    // A stream that never pauses: after a second its lines carry their own first byte.
    LineSplitter busy;
    MonoTime now = t0;
    std::vector<ReceivedLine> lines;
    for (int i = 0; i < 80; ++i, now += milliseconds(15)) {
        for (auto& line : busy.feed("\n$GPGSV,1,2,3\r", now)) {
            lines.push_back(line);
        }
    }
    EXPECT_EQ(lines[66].stamps.burstStart, t0);  // 990 ms in
    EXPECT_EQ(lines[67].stamps.burstStart, lines[67].stamps.firstByte);
    EXPECT_EQ(lines[67].stamps.firstByte, t0 + milliseconds(67 * 15));

    // At a slow line speed the characters themselves are far apart; only a longer pause counts.
    LineSplitter slow;
    slow.setLineSpeed(300);
    slow.feed("$GPRMC\r", t0);
    EXPECT_EQ(slow.feed("$GPGGA\r", t0 + milliseconds(100))[0].stamps.burstStart, t0);
    // Seven bytes take 200 ms there: read at 500 ms, they began at 300 ms, after a rest.
    EXPECT_EQ(slow.feed("$GPGSA\r", t0 + milliseconds(500))[0].stamps.burstStart,
              t0 + milliseconds(500) - 6 * std::chrono::nanoseconds(33333333));
}

TEST(LineSplitter, QuietGapGrowsWithSlowLines) {
    EXPECT_EQ(quietGapFor(4800), milliseconds(20));
    EXPECT_EQ(quietGapFor(115200), milliseconds(20));
    EXPECT_EQ(quietGapFor(1200), milliseconds(34));
    EXPECT_EQ(quietGapFor(300), milliseconds(134));
    EXPECT_EQ(quietGapFor(110), milliseconds(364));
    EXPECT_EQ(quietGapFor(0), milliseconds(20));
    EXPECT_EQ(quietGapFor(-5), milliseconds(20));
}

// A 4800-baud line carrying a full set (GGA, GSA, three GSV, RMC, PGRMZ, PGRMF: 462 bytes,
// 963 ms) rests about 40 ms before the next burst. Missing that rest stamps every fix at its
// own line, and the clock is set up to 0.8 s behind.
TEST(LineSplitter, FindsTheBurstStartOnABusy4800BaudLine) {
    LineSplitter splitter;
    splitter.setLineSpeed(4800);
    const std::string burst = fullSet();
    ASSERT_EQ(burst.size(), 462u);
    // Two bytes at a time, as the second completes on the line.
    const std::chrono::nanoseconds character(2083333);
    const auto send = [&](MonoTime start) {
        std::vector<ReceivedLine> lines;
        for (std::size_t i = 0; i < burst.size(); i += 2) {
            for (auto& line : splitter.feed(burst.substr(i, 2), start + character * (i + 1))) {
                lines.push_back(std::move(line));
            }
        }
        return lines;
    };
    send(t0);
    const MonoTime next = t0 + milliseconds(1000);
    const auto lines = send(next);
    ASSERT_EQ(lines.size(), 8u);
    for (const auto& line : lines) {
        EXPECT_EQ(line.stamps.burstStart, next) << line.text;
    }
}

// Bytes that waited unread kept the line busy while they came: a hold-up of the program, or
// a USB adapter holding bytes back, inside a burst is no rest. Taken for one, it stamped the
// rest of the burst, fix included, hundreds of milliseconds late on a busy machine.
TEST(LineSplitter, BytesThatWaitedUnreadAreNoRest) {
    LineSplitter splitter;
    splitter.setLineSpeed(4800);
    // An adapter that hands over what it has every 16 ms: eight bytes each time.
    const std::string stream = "$GPGGA,1*00\r\n$GPGSA,2*00\r\n$GPGSV,3*00\r\n$GPRMC,4*00\r\n";
    std::vector<ReceivedLine> lines;
    for (std::size_t i = 0; i < stream.size(); i += 8) {
        for (auto& line : splitter.feed(stream.substr(i, 8), t0 + milliseconds(2 * i))) {
            lines.push_back(std::move(line));
        }
    }
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& line : lines) {
        EXPECT_EQ(line.stamps.burstStart, t0) << line.text;
    }
    // The program held up 30 ms: fourteen bytes wait and come at once.
    const MonoTime held = t0 + milliseconds(2 * stream.size());
    splitter.feed("$GPGGA,5*00", held);
    const auto afterHoldUp = splitter.feed("\r\n$GPRMC,6*00\r", held + milliseconds(30));
    ASSERT_EQ(afterHoldUp.size(), 2u);
    EXPECT_EQ(afterHoldUp[1].stamps.burstStart, t0);

    // A real rest still shows through a hold-up after it: 40 ms quiet, then ten bytes that
    // waited another 20 ms, back-dated to the first of them.
    const MonoTime next = held + milliseconds(30 + 40 + 20);
    const auto nextBurst = splitter.feed("\n$GPRMC,7\r", next);
    ASSERT_EQ(nextBurst.size(), 1u);
    EXPECT_EQ(nextBurst[0].stamps.burstStart, next - 9 * std::chrono::nanoseconds(2083333));

    // A USB receiver delivers a whole burst at once, more than the line speed it plays at could
    // carry in the silence before: the silence is a rest all the same.
    const MonoTime fast = next + milliseconds(80);
    const auto whole = splitter.feed("\n" + std::string(300, 'X') + "\r", fast);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].stamps.burstStart, fast);
}

// However late the first read of a burst returns, while the line is still sending, its bytes
// are back-dated by the characters that came after them, so the burst keeps its start and each
// line its own first byte.
TEST(LineSplitter, BackDatesTheBytesOfALateRead) {
    struct Case {
        double speed;
        std::size_t firstRead;  // bytes the late first read returns; the rest come two at a time
    };
    const std::string burst = fullSet();
    for (const Case& c : {Case{4800, 1}, Case{4800, 15}, Case{4800, 462}, Case{38400, 150},
                          Case{38400, 462}, Case{115200, 300}}) {
        SCOPED_TRACE(std::to_string(c.speed) + " baud, first read " + std::to_string(c.firstRead));
        LineSplitter splitter;
        splitter.setLineSpeed(c.speed);
        const std::chrono::nanoseconds character(static_cast<std::int64_t>(1e10 / c.speed));
        std::vector<ReceivedLine> lines;
        // Byte i ends at start + i characters; a read returns at its last byte's end.
        const auto send = [&](MonoTime start, std::size_t firstRead) {
            lines.clear();
            for (std::size_t from = 0; from < burst.size();) {
                const std::size_t to = std::min(burst.size(), from == 0 ? firstRead : from + 2);
                const auto piece = std::string_view(burst).substr(from, to - from);
                for (auto& line : splitter.feed(piece, start + character * (to - 1))) {
                    lines.push_back(std::move(line));
                }
                from = to;
            }
        };
        send(t0, 2);
        const MonoTime start = t0 + milliseconds(1000);
        send(start, c.firstRead);
        ASSERT_EQ(lines.size(), 8u);
        std::size_t dollar = 0;
        for (const auto& line : lines) {
            EXPECT_EQ(line.stamps.burstStart, start);
            // Its own first byte is its '$': the LF before it came with the line before.
            EXPECT_EQ(line.stamps.firstByte, start + character * dollar) << line.text;
            dollar = burst.find('$', dollar + 1);
        }
    }
}

// A reader held up between a read and its stamp dates the burst late; the reads after it, on
// time, mend that while the burst's first line is still coming and within its first 60 ms.
TEST(LineSplitter, LaterReadsMendALateStamp) {
    struct Case {
        double speed;
        std::size_t firstRead;
        bool mended;
    };
    const std::string burst = fullSet();
    const milliseconds late(6);
    for (const Case& c : {Case{38400, 10, true}, Case{4800, 1, true}, Case{115200, 40, true},
                          // The first line came whole: the fix is stamped already.
                          Case{38400, 80, false},
                          // Beyond 60 ms of the burst.
                          Case{4800, 32, false}}) {
        SCOPED_TRACE(std::to_string(c.speed) + " baud, first read " + std::to_string(c.firstRead));
        LineSplitter splitter;
        splitter.setLineSpeed(c.speed);
        const std::chrono::nanoseconds character(static_cast<std::int64_t>(1e10 / c.speed));
        splitter.feed(burst, t0);
        const MonoTime start = t0 + milliseconds(1000);
        std::vector<ReceivedLine> lines;
        for (std::size_t from = 0; from < burst.size();) {
            const std::size_t to = std::min(burst.size(), from == 0 ? c.firstRead : from + 2);
            const MonoTime stamp =
                start + character * (to - 1) + (from == 0 ? late : milliseconds(0));
            for (auto& line :
                 splitter.feed(std::string_view(burst).substr(from, to - from), stamp)) {
                lines.push_back(std::move(line));
            }
            from = to;
        }
        ASSERT_EQ(lines.size(), 8u);
        for (const auto& line : lines) {
            EXPECT_EQ(line.stamps.burstStart, c.mended ? start : start + late) << line.text;
        }
    }
}

}  // namespace
}  // namespace quorvane
