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
//
// How bytes are dated depends on how the device delivers them, which it learns from the reads
// of each burst: paced at the line's speed (a serial line, an adapter that hands over what it
// has every few milliseconds), or faster (a USB receiver hands a whole burst over at once,
// whatever speed it was opened at). A burst it cannot vouch for is marked untrustworthy: the
// first after opening, one whose first read came as the reader resumed from a pause, one whose
// reads contradict the delivery it was dated by.
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
    // The reader runs at least this often (a timer, or a read that times out), so a longer gap
    // between its runs shows a pause: the program or the machine stopped, or the reader waited
    // for a processor.
    static constexpr std::chrono::milliseconds kReaderWake{20};
    // How late a stamp may be before the burst cannot be vouched for.
    static constexpr std::chrono::milliseconds kTolerance{5};

    explicit LineSplitter(char terminator = '\r') : terminator_(terminator) {}

    void setTerminator(char terminator) { terminator_ = terminator; }
    // The line's speed sets the quiet gap (quietGapFor) and how long a character takes, which
    // tells bytes that waited unread from bytes that came after a rest.
    void setLineSpeed(double bitsPerSecond);

    // Takes the bytes one read returned at `arrival` and returns the lines they complete.
    std::vector<ReceivedLine> feed(std::string_view bytes, MonoTime arrival);
    // The reader ran at `now` without reading anything (its timer, an empty read).
    void readerRan(MonoTime now);
    // Forgets the partial line, the burst and the delivery learned, as after closing the port.
    void reset();

private:
    enum class Delivery { Unknown, Line, Faster };

    void startBurst(std::size_t count, MonoTime arrival, MonoTime firstByte);
    // What the reads of the burst so far say about the delivery; a contradiction of the
    // delivery the burst was dated by makes it untrustworthy.
    void learnDelivery(MonoTime arrival);
    bool isRestBefore(std::size_t count, MonoTime arrival) const;
    void refineBurstStart(std::size_t count, MonoTime arrival);
    // How long the bytes of one read took to arrive, first to last, and how far apart the
    // bytes of different reads came: the line's character time, or none and the pace learned
    // where the device delivers faster than the line.
    std::chrono::nanoseconds withinRead() const;
    std::chrono::nanoseconds betweenReads() const;
    // How long the device takes to bring `count` bytes of one read after the first.
    std::chrono::nanoseconds carriedTime(std::size_t count) const;
    bool lineCouldCarry(std::size_t count, MonoTime arrival) const;
    void distrustBurst();
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
    MonoTime burstFirstRead_{};
    std::size_t burstFirstCount_ = 0;             // bytes of the burst's first read
    Delivery burstDelivery_ = Delivery::Unknown;  // what the burst was dated by
    bool burstTrusted_ = false;
    bool pendingTrusted_ = false;
    bool pendingReadTrusted_ = false;  // the read that brought the pending line's first byte
    Delivery delivery_ = Delivery::Unknown;
    std::chrono::nanoseconds fasterPace_{0};  // per byte, where the delivery is Faster
    MonoTime lastRun_{};
    bool ran_ = false;
    MonoTime pauseEnd_{};  // when the reader last resumed from a pause
    bool paused_ = false;
    MonoTime lastByte_{};
    bool anyByte_ = false;
    bool sentenceStarted_ = false;  // the pending line holds more than CR and LF
};

// The quiet gap for a line speed: at least four character times (ten bits each), and never
// less than the default.
std::chrono::milliseconds quietGapFor(double bitsPerSecond);

}  // namespace quorvane
