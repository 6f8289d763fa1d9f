// How the splitter dates what each kind of device hands over, and which bursts it cannot vouch for.
#include "platform/line_splitter.h"

#include <gtest/gtest.h>

#include "line_splitter_bursts.h"

#include <utility>
#include <vector>

namespace quorvane {
namespace {

using std::chrono::milliseconds;
using testing::fullSet;

const MonoTime t0 = testing::kSplitterStart;

// How a device hands a burst over, as reads: an adapter passes on what crossed the line
// (byte i at start + i characters) every `size` ms, on a timer of its own whose first tick
// comes `phase` of a period after the burst began; a USB receiver hands the whole burst over at
// once in packets of `size` bytes 1 ms apart.
struct Delivery {
    bool usb;
    double speed;
    int size;
    double phase = 3.0 / 7;
};

struct Read {
    MonoTime at;
    std::string bytes;
};

std::vector<Read> reads(const Delivery& d, const std::string& burst, MonoTime start) {
    const std::chrono::nanoseconds character(static_cast<std::int64_t>(1e10 / d.speed));
    std::vector<Read> out;
    for (std::size_t i = 0; d.usb && i < burst.size(); i += d.size) {
        out.push_back({start + milliseconds(i / d.size), burst.substr(i, d.size)});
    }
    const std::chrono::nanoseconds period = milliseconds(d.size);
    for (std::size_t from = 0, to = 0; !d.usb && from < burst.size(); from = to) {
        const MonoTime tick =
            start + std::chrono::duration_cast<std::chrono::nanoseconds>(period * d.phase) +
            period * static_cast<std::int64_t>(out.size());
        while (to < burst.size() && start + character * static_cast<std::int64_t>(to) <= tick) {
            ++to;
        }
        out.push_back({tick, burst.substr(from, to - from)});
    }
    return out;
}

// Feeds bursts a second apart, the reader running every 10 ms except in [pauseFrom, pauseTo);
// what comes in a pause is read, all at once, as it ends.
struct Feeder {
    LineSplitter splitter;
    MonoTime pauseFrom{}, pauseTo{}, clock = t0;
    std::string held;
    std::vector<ReceivedLine> lines;

    // The reader runs at `at`: its timer, or a read of `bytes`.
    void run(MonoTime at, const std::string& bytes = "") {
        if (at >= pauseFrom && at < pauseTo) {
            held += bytes;
            return;
        }
        for (const std::string& read : {std::exchange(held, ""), bytes}) {
            for (auto& line : splitter.feed(read, at)) {
                lines.push_back(std::move(line));
            }
        }
        splitter.readerRan(at);
    }

    std::vector<ReceivedLine> burst(const Delivery& d, const std::string& bytes, MonoTime start) {
        lines.clear();
        for (const Read& read : reads(d, bytes, start)) {
            for (; clock + milliseconds(10) < read.at; clock += milliseconds(10)) {
                run(clock);
            }
            run(read.at, read.bytes);
        }
        for (; clock < start + milliseconds(990); clock += milliseconds(10)) {
            run(clock);
        }
        return lines;
    }
};

// A USB receiver hands its burst over far faster than the speed it was opened at: back-dating
// by that speed set the clock up to 0.4 s ahead. The pace is learned from the reads, so every
// delivery is dated within a packet, the first burst after opening excepted. An adapter hands
// bytes over on its latency timer, up to a character after they crossed the line; whatever the
// timer's phase, the reads after the first bound the start to within 0.4 of a character, never
// early (with reads over only the first 40 ms, 1.4 ms late at 4800 baud).
TEST(LineSplitter, DatesEveryDeliveryByThePaceItShowsWhateverTheAdaptersPhase) {
    using std::chrono::nanoseconds;
    struct Case {
        Delivery delivery;
        nanoseconds earliest, latest;
        int phases;
    };
    const auto tenths = [](double speed) {
        return nanoseconds(static_cast<std::int64_t>(1e9 / speed));
    };
    const nanoseconds ms(milliseconds(1));
    for (const Case& c : {Case{{true, 4800, 64}, -ms, ms, 1},
                          {{true, 9600, 64}, -ms, ms, 1},
                          {{true, 38400, 32}, -ms, ms, 1},
                          {{false, 38400, 16}, -ms, ms, 1},
                          {{false, 4800, 16}, {}, 4 * tenths(4800), 32},
                          {{false, 9600, 16}, {}, 4 * tenths(9600), 32}}) {
        for (int step = 0; step < c.phases; ++step) {
            Delivery d = c.delivery;
            d.phase = c.phases == 1 ? d.phase : (step + 0.5) / c.phases;
            SCOPED_TRACE((d.usb ? "USB at " : "adapter at ") +
                         std::to_string(static_cast<int>(d.speed)) + ", phase " +
                         std::to_string(d.phase));
            Feeder run;
            run.splitter.setLineSpeed(d.speed);
            for (int second = 0; second < 4; ++second) {
                const MonoTime start = t0 + std::chrono::seconds(second) + milliseconds(150);
                const auto lines = run.burst(d, fullSet(), start);
                ASSERT_EQ(lines.size(), 8u);
                for (const auto& line : lines) {
                    const auto error = line.stamps.burstStart - start;
                    EXPECT_EQ(line.stamps.trustworthy, second > 0) << second << line.text;
                    EXPECT_TRUE(second == 0 || (error >= c.earliest && error <= c.latest))
                        << second << ": " << error.count() << " ns";
                }
            }
        }
    }
}

// A burst read as the reader resumes from a pause, or one whose reads do not fit the pace it
// was dated by, may be dated wrong by as much as the pause: it is marked untrustworthy. A
// pause elsewhere leaves the burst's start as good as ever.
TEST(LineSplitter, MarksTheBurstsItCannotVouchFor) {
    struct Case {
        const char* what;
        Delivery before, checked;
        int pauseFromMs, pauseToMs;  // around the checked burst's start
        bool trusted;
    };
    const Delivery line{false, 4800, 16}, usb{true, 4800, 64}, usbInOneRead{true, 4800, 462};
    for (const Case& c :
         {Case{"no pause", line, line, -900, -900, true},
          {"line, paused over its first byte", line, line, -15, 200, false},
          {"USB, paused over its first byte", usb, usb, -100, 3, false},
          {"line, paused inside the burst", line, line, 300, 500, true},
          {"USB, paused before the burst", usb, usb, -300, -50, true},
          {"a short hold-up, under the tolerance", line, line, -5, 8, true},
          {"USB bytes on a line learned paced", line, usb, -900, -900, false},
          {"paced bytes from a device learned faster", usb, line, -900, -900, false},
          {"USB, the whole burst in one late read", usb, usbInOneRead, -900, -900, false}}) {
        SCOPED_TRACE(c.what);
        Feeder run;
        run.splitter.setLineSpeed(4800);
        const std::string burst = fullSet();
        const MonoTime start = t0 + std::chrono::seconds(3) + milliseconds(150);
        run.pauseFrom = start + milliseconds(c.pauseFromMs);
        run.pauseTo = start + milliseconds(c.pauseToMs);
        for (int second = 0; second < 3; ++second) {
            run.burst(c.before, burst, t0 + std::chrono::seconds(second) + milliseconds(150));
        }
        const auto lines = run.burst(c.checked, burst, start);
        ASSERT_EQ(lines.size(), 8u);
        // The fix is the burst's sixth line; the lines after the evidence carry it too.
        EXPECT_EQ(lines[5].stamps.trustworthy, c.trusted);
        EXPECT_EQ(lines.back().stamps.trustworthy, c.trusted);
    }
}

}  // namespace
}  // namespace quorvane
