#include "platform/line_splitter.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

std::vector<ReceivedLine> LineSplitter::feed(std::string_view bytes, MonoTime arrival) {
    std::vector<ReceivedLine> lines;
    if (bytes.empty()) {
        return lines;
    }
    if (!anyByte_ || isRestBefore(bytes.size(), arrival)) {
        burstStart_ = arrival;
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
        const bool sentenceByte = piece.find_first_not_of("\r\n") != std::string_view::npos;
        if (pending_.empty() || (sentenceByte && !sentenceStarted_)) {
            pendingFirstByte_ = arrival;
            pendingBurstStart_ = burstStart_;
            sentenceStarted_ = sentenceByte;
        }
        pending_.append(piece);
        pos += count;
        if (terminated || pending_.size() == kMaxLine) {
            lines.push_back(take());
        }
    }
    return lines;
}

// Bytes that arrive together after a silence did not all arrive at its end. While the program
// was held up (a busy machine, a slow handler) or a USB adapter held them back, they kept coming
// at the line's pace, so the line was busy for their time and rested only for what is left. A
// hold-up in the middle of a burst is then no rest; taken for one, it would stamp the rest of
// the burst, fix included, as late as the hold-up ended. More bytes than the line could have
// carried came over a faster link (a USB receiver that only plays at a line speed) and say
// nothing about the line: then, and after a long silence, the whole silence is the rest. A
// clock that runs backwards (it should not) counts as no rest.
bool LineSplitter::isRestBefore(std::size_t count, MonoTime arrival) const {
    const auto silence = arrival - lastByte_;
    if (silence >= std::max<std::chrono::nanoseconds>(kCertainRest, quietGap_)) {
        return true;
    }
    const auto carried = characterTime_ * static_cast<std::int64_t>(count - 1);
    // The odd character early or late is timing noise, not a faster link.
    const bool lineCouldCarryThem = carried <= silence + 2 * characterTime_;
    const auto rest = lineCouldCarryThem ? silence - carried : silence;
    return rest >= quietGap_;
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
