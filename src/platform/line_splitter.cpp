#include "platform/line_splitter.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

std::vector<ReceivedLine> LineSplitter::feed(std::string_view bytes, MonoTime arrival) {
    std::vector<ReceivedLine> lines;
    if (bytes.empty()) {
        return lines;
    }
    readerRan(arrival);
    // Bytes read as the reader resumed from a pause may have waited as long as it lasted.
    const bool readTrusted = !(paused_ && arrival - pauseEnd_ <= kTolerance);
    const bool newBurst = !anyByte_ || isRestBefore(bytes.size(), arrival);
    const auto byteTime = arrivalOfBytes(bytes.size(), arrival);
    if (newBurst) {
        startBurst(bytes.size(), arrival, byteTime(0));
        burstTrusted_ = burstTrusted_ && readTrusted;
    } else {
        burstBytes_ += bytes.size();
        learnDelivery(arrival);
        refineBurstStart(bytes.size(), arrival);
    }
    anyByte_ = true;
    lastByte_ = arrival;

    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t room = kMaxLine - pending_.size();
        const std::size_t end = bytes.find(terminator_, pos);
        const bool terminated = end != std::string_view::npos && end - pos < room;
        const std::size_t count = terminated ? end - pos + 1 : std::min(room, bytes.size() - pos);
        const std::string_view piece = bytes.substr(pos, count);
        // The LF after a CR terminator came with the line before; the sentence starts at its
        // first other byte, which may come a whole burst later.
        const std::size_t sentenceByte = piece.find_first_not_of("\r\n");
        const bool hasSentence = sentenceByte != std::string_view::npos;
        if (pending_.empty() || (hasSentence && !sentenceStarted_)) {
            pendingFirstByte_ = byteTime(pos + (hasSentence ? sentenceByte : 0));
            pendingBurstStart_ = burstStart_;
            pendingTrusted_ = burstTrusted_;
            pendingReadTrusted_ = readTrusted;
            sentenceStarted_ = hasSentence;
        }
        pending_.append(piece);
        pos += count;
        if (terminated || pending_.size() == kMaxLine) {
            lines.push_back(take());
            // Every line of a burst carries the same start; the fix's stamp relies on that.
            refining_ = false;
        }
    }
    return lines;
}

// A read that returns several bytes came late for all but the last: while it waited, the line
// kept sending them one character time apart, so byte i of n arrived (n - 1 - i) character
// times before the read. A late read of a whole burst thus still finds the burst's start. Bytes
// the line could not have carried since the read before came over a faster link, and the read
// is all that is known of them; so is the first read after opening. A device learned to be
// faster than the line is never back-dated by the line's speed.
LineSplitter::ByteTimes LineSplitter::arrivalOfBytes(std::size_t count, MonoTime arrival) const {
    if (!anyByte_ || !lineCouldCarry(count, arrival)) {
        return {arrival, arrival, std::chrono::nanoseconds(0), count};
    }
    // Never before the read before: the odd character late is timing noise.
    return {arrival, lastByte_, withinRead(), count};
}

void LineSplitter::startBurst(std::size_t count, MonoTime arrival, MonoTime firstByte) {
    burstStart_ = firstByte;
    // After opening, the bytes before the first read are unknown: nothing to refine.
    burstFloor_ = anyByte_ ? lastByte_ + quietGap_ : burstStart_;
    burstBytes_ = count;
    refining_ = true;
    burstFirstRead_ = arrival;
    burstFirstCount_ = count;
    burstDelivery_ = delivery_;
    // The first burst after opening may have begun before the first read. A first read not
    // back-dated (a faster device), or dated before the delivery is known, is as late as its
    // bytes took to come, which a prompt reader keeps within the tolerance.
    const auto pace = delivery_ == Delivery::Faster ? fasterPace_ : characterTime_;
    burstTrusted_ = anyByte_ && (delivery_ == Delivery::Line ||
                                 pace * static_cast<std::int64_t>(count - 1) <= kTolerance);
}

// The bytes after a burst's first read and the time they took tell the delivery: a line
// carries them one character time apart at most; a device that hands over more than the line
// could carry is faster. The first read's stamp may be late, which shortens the span, hence
// the margins. A burst dated by a delivery its reads contradict cannot be vouched for.
void LineSplitter::learnDelivery(MonoTime arrival) {
    constexpr std::size_t kEvidenceBytes = 16;
    const std::size_t after = burstBytes_ - burstFirstCount_;
    if (after < kEvidenceBytes || characterTime_.count() == 0) {
        return;
    }
    const auto span = std::max(arrival - burstFirstRead_, MonoClock::duration::zero());
    const auto atLine = characterTime_ * static_cast<std::int64_t>(after);
    Delivery seen;
    if (atLine > 2 * span + kReaderWake) {
        seen = Delivery::Faster;
        fasterPace_ = span / static_cast<std::int64_t>(after);
    } else if (atLine <= span + kTolerance + 2 * characterTime_) {
        seen = Delivery::Line;
    } else {
        return;
    }
    const Delivery dated = burstDelivery_ == Delivery::Faster ? Delivery::Faster : Delivery::Line;
    if (seen != dated) {
        distrustBurst();
    }
    delivery_ = seen;
}

void LineSplitter::distrustBurst() {
    burstTrusted_ = false;
    if (pendingBurstStart_ == burstStart_) {
        pendingTrusted_ = false;
    }
}

void LineSplitter::readerRan(MonoTime now) {
    if (ran_ && now - lastRun_ > kReaderWake + kTolerance) {
        paused_ = true;
        pauseEnd_ = now;
    }
    ran_ = true;
    lastRun_ = now;
}

// A read is stamped when the reader gets to it. On a busy machine the reader may be held up
// between the read and its stamp, and the back-dated start of the burst comes out late by the
// hold-up. Every later read of the same burst tells it again, and none can tell it too early
// while the device sends at its pace, for gaps and hold-ups only make reads later; so the
// earliest is kept. Only over the burst's first line and its first 60 ms: a line clock a little
// fast adds up to an early start over a long span (1 % fast: 0.6 ms). An adapter hands bytes
// over at the phase of its own latency timer, up to a character after they crossed; each of its
// reads bounds the start anew, so the span takes in three or four of them. Never into the rest
// before the burst.
void LineSplitter::refineBurstStart(std::size_t count, MonoTime arrival) {
    constexpr std::chrono::milliseconds kRefineSpan{60};
    if (!refining_ || characterTime_.count() == 0) {
        return;
    }
    const auto carried = withinRead() * static_cast<std::int64_t>(count - 1) +
                         betweenReads() * static_cast<std::int64_t>(burstBytes_ - count);
    if (carried > kRefineSpan) {
        refining_ = false;
        return;
    }
    const MonoTime candidate = arrival - carried;
    if (candidate < burstStart_ && candidate >= burstFloor_) {
        if (pendingBurstStart_ == burstStart_) {
            pendingBurstStart_ = candidate;
        }
        burstStart_ = candidate;
    }
}

// A device faster than the line hands over what it has whole: the bytes of one read came
// together, and reads follow one another at the pace learned.
std::chrono::nanoseconds LineSplitter::withinRead() const {
    return delivery_ == Delivery::Faster ? std::chrono::nanoseconds(0) : characterTime_;
}

std::chrono::nanoseconds LineSplitter::betweenReads() const {
    return delivery_ == Delivery::Faster ? fasterPace_ : characterTime_;
}

MonoTime LineSplitter::ByteTimes::operator()(std::size_t index) const {
    return std::max(earliest,
                    arrival - characterTime * static_cast<std::int64_t>(count - 1 - index));
}

// Bytes that arrive together after a silence did not all arrive at its end. While the program
// was held up (a busy machine, a slow handler) or a USB adapter held them back, they kept coming
// at the line's pace, so the line was busy for their time and rested only for what is left. A
// hold-up in the middle of a burst is then no rest; taken for one, it would stamp the rest of
// the burst, fix included, as late as the hold-up ended. More bytes than the line could have
// carried came over a faster link (a USB receiver that only plays at a line speed) and say
// nothing about the line: then the whole silence is the rest. However long the reader was held
// up, bytes that filled the silence are no rest. A clock that runs backwards (it should not)
// counts as no rest.
bool LineSplitter::isRestBefore(std::size_t count, MonoTime arrival) const {
    const auto silence = arrival - lastByte_;
    const auto rest = lineCouldCarry(count, arrival) ? silence - carriedTime(count) : silence;
    return rest >= quietGap_;
}

std::chrono::nanoseconds LineSplitter::carriedTime(std::size_t count) const {
    return withinRead() * static_cast<std::int64_t>(count - 1);
}

bool LineSplitter::lineCouldCarry(std::size_t count, MonoTime arrival) const {
    // The odd character early or late is timing noise, not a faster link. So is a little more
    // on a delivery learned to be paced: a read before this one that came late (by less than a
    // pause) shortened the silence, and taking that for a faster link would start a false
    // burst in the middle of one.
    const auto noise =
        delivery_ == Delivery::Line ? kReaderWake + kTolerance : MonoClock::duration::zero();
    return carriedTime(count) <= arrival - lastByte_ + 2 * withinRead() + noise;
}

void LineSplitter::setLineSpeed(double bitsPerSecond) {
    quietGap_ = quietGapFor(bitsPerSecond);
    characterTime_ = bitsPerSecond > 0 && std::isfinite(bitsPerSecond)
                         ? std::chrono::nanoseconds(static_cast<std::int64_t>(1e10 / bitsPerSecond))
                         : std::chrono::nanoseconds(0);
    delivery_ = Delivery::Unknown;  // learned against the old speed
}

ReceivedLine LineSplitter::take() {
    ReceivedLine line;
    line.text.swap(pending_);
    line.stamps.firstByte = pendingFirstByte_;
    const bool inBurst = pendingFirstByte_ - pendingBurstStart_ <= kBurstHorizon;
    line.stamps.burstStart = inBurst ? pendingBurstStart_ : pendingFirstByte_;
    // A line stamped at its own first byte is as good as the read that brought it.
    line.stamps.trustworthy =
        inBurst ? pendingTrusted_ : pendingReadTrusted_ && delivery_ != Delivery::Unknown;
    return line;
}

void LineSplitter::reset() {
    pending_.clear();
    anyByte_ = false;
    delivery_ = Delivery::Unknown;
    ran_ = false;
    paused_ = false;
}

std::chrono::milliseconds quietGapFor(double bitsPerSecond) {
    if (!(bitsPerSecond > 0) || !std::isfinite(bitsPerSecond)) {
        return LineSplitter::kDefaultQuietGap;
    }
    const double fourCharacters = 4 * 10 * 1000.0 / bitsPerSecond;
    const auto gap = std::chrono::milliseconds(
        static_cast<long long>(std::ceil(std::min(fourCharacters, 10000.0))));
    return std::max(gap, LineSplitter::kDefaultQuietGap);
}

}  // namespace quorvane
