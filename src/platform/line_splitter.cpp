#include "platform/line_splitter.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

std::vector<ReceivedLine> LineSplitter::feed(std::string_view bytes, MonoTime arrival) {
    std::vector<ReceivedLine> lines;
    if (bytes.empty()) {
        return lines;
    }
    const auto byteTime = arrivalOfBytes(bytes.size(), arrival);
    if (!anyByte_ || isRestBefore(bytes.size(), arrival)) {
        burstStart_ = byteTime(0);
        // After opening, the bytes before the first read are unknown: nothing to refine.
        burstFloor_ = anyByte_ ? lastByte_ + quietGap_ : burstStart_;
        burstBytes_ = 0;
        refining_ = true;
    }
    burstBytes_ += bytes.size();
    refineBurstStart(arrival);
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
// is all that is known of them; so is the first read after opening.
LineSplitter::ByteTimes LineSplitter::arrivalOfBytes(std::size_t count, MonoTime arrival) const {
    if (!anyByte_ || !lineCouldCarry(count, arrival)) {
        return {arrival, arrival, std::chrono::nanoseconds(0), count};
    }
    // Never before the read before: the odd character late is timing noise.
    return {arrival, lastByte_, characterTime_, count};
}

// A read is stamped when the reader gets to it. On a busy machine the reader may be held up
// between the read and its stamp, and the back-dated start of the burst comes out late by the
// hold-up. Every later read of the same burst tells it again, and none can tell it too early
// while the line sends at its pace, for gaps and hold-ups only make reads later; so the earliest
// is kept. Only over the burst's first line and its first 40 ms: a line clock a little fast
// adds up to an early start over a long span. Never into the rest before the burst.
void LineSplitter::refineBurstStart(MonoTime arrival) {
    constexpr std::chrono::milliseconds kRefineSpan{40};
    if (!refining_ || characterTime_.count() == 0) {
        return;
    }
    const auto carried = carriedTime(burstBytes_);
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
    return characterTime_ * static_cast<std::int64_t>(count - 1);
}

bool LineSplitter::lineCouldCarry(std::size_t count, MonoTime arrival) const {
    // The odd character early or late is timing noise, not a faster link.
    return carriedTime(count) <= arrival - lastByte_ + 2 * characterTime_;
}

void LineSplitter::setLineSpeed(double bitsPerSecond) {
    quietGap_ = quietGapFor(bitsPerSecond);
    characterTime_ = bitsPerSecond > 0 && std::isfinite(bitsPerSecond)
                         ? std::chrono::nanoseconds(static_cast<std::int64_t>(1e10 / bitsPerSecond))
                         : std::chrono::nanoseconds(0);
}

ReceivedLine LineSplitter::take() {
    ReceivedLine line;
    line.text.swap(pending_);
    line.stamps.firstByte = pendingFirstByte_;
    line.stamps.burstStart = pendingFirstByte_ - pendingBurstStart_ <= kBurstHorizon
                                 ? pendingBurstStart_
                                 : pendingFirstByte_;
    return line;
}

void LineSplitter::reset() {
    pending_.clear();
    anyByte_ = false;
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
