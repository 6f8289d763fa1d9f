#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mono_time.h"
#include "platform/serial_port.h"

namespace quorvane {

// One delivery of the serial component: a line with its terminator still at its end, or a
// piece of an over-long line.
struct ReceivedLine {
    std::string text;
    ArrivalStamps stamps;
};

// Cuts a received byte stream into lines at a one-byte terminator and stamps each line with
// when its burst began and when its own first byte arrived, CR and LF not counted (a line made
// of nothing else is stamped at its first byte). Memory stays bounded whatever
// arrives: a line that reaches kMaxLine bytes without a terminator is handed out as a piece.
class LineSplitter {
public:
    static constexpr std::size_t kMaxLine = 4096;
    // A receiver sends one burst of sentences per fix, then falls silent until the next. 20 ms
    // of silence is beyond the pauses inside a burst (a character takes 2 ms at 4800 baud; USB
    // adapters hold bytes back for up to 16 ms) and under the rest of a busy line: a 4800-baud
    // line carrying a full set (GGA, GSA, three GSV, RMC, PGRMZ, PGRMF) rests only about 40 ms
    // a second, and a longer gap would miss every burst start there.
    static constexpr std::chrono::milliseconds kDefaultQuietGap{20};
    // A burst start older than this says nothing about a line: the stream has run without a
    // pause, so the line's own first byte is the best stamp there is.
    static constexpr std::chrono::seconds kBurstHorizon{1};

    explicit LineSplitter(char terminator = '\r') : terminator_(terminator) {}

    void setTerminator(char terminator) { terminator_ = terminator; }
    // The line's speed sets the quiet gap (quietGapFor) and how long a character takes, which
    // tells bytes that waited unread from bytes that came after a rest.
    void setLineSpeed(double bitsPerSecond);

    // Takes the bytes one read returned at `arrival` and returns the lines they complete.
    std::vector<ReceivedLine> feed(std::string_view bytes, MonoTime arrival);
    // Forgets the partial line and the burst, as after closing the port.
    void reset();

private:
    bool isRestBefore(std::size_t count, MonoTime arrival) const;
    void refineBurstStart(MonoTime arrival);
    // How long the line takes to bring `count` bytes after the first.
    std::chrono::nanoseconds carriedTime(std::size_t count) const;
    bool lineCouldCarry(std::size_t count, MonoTime arrival) const;
    // When each of `count` bytes read together at `arrival` came off the line, by index.
    struct ByteTimes {
        MonoTime arrival;
        MonoTime earliest;
        std::chrono::nanoseconds characterTime;
        std::size_t count;
        MonoTime operator()(std::size_t index) const;
    };
    ByteTimes arrivalOfBytes(std::size_t count, MonoTime arrival) const;
    ReceivedLine take();

    char terminator_;
    std::chrono::milliseconds quietGap_ = kDefaultQuietGap;
    std::chrono::nanoseconds characterTime_{0};  // 0: speed unknown
    std::string pending_;
    MonoTime pendingFirstByte_{};
    MonoTime pendingBurstStart_{};
    MonoTime burstStart_{};
    MonoTime burstFloor_{};       // the burst cannot have begun before this
    std::size_t burstBytes_ = 0;  // read since the burst began
    bool refining_ = false;       // later reads may still move the burst's start earlier
    MonoTime lastByte_{};
    bool anyByte_ = false;
    bool sentenceStarted_ = false;  // the pending line holds more than CR and LF
};

// The quiet gap for a line speed: at least four character times (ten bits each), and never
// less than the default.
std::chrono::milliseconds quietGapFor(double bitsPerSecond);

}  // namespace quorvane
