#include "platform/line_splitter.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

std::vector<ReceivedLine> LineSplitter::feed(std::string_view bytes, MonoTime arrival) {
    std::vector<ReceivedLine> lines;
    if (bytes.empty()) {
        return lines;
    }
    // A clock that runs backwards (it should not) counts as no gap rather than a new burst.
    if (!anyByte_ || arrival - lastByte_ >= quietGap_) {
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
