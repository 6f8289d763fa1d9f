#include <algorithm>

#include "app/form1.h"

namespace quorvane {

// The component delivers one line per CR, so a line's LF arrives at the front of the next
// delivery; every CR and LF is dropped wherever it stands. An empty result still reaches the
// decoder: it counts as reception.
void Form1::MSPort1_OnRead(const std::optional<std::string>& value, const ArrivalStamps& stamps) {
    if (!value || ProgramEnded) {
        return;
    }
    RxStamps = stamps;
    std::string line = *value;
    std::erase(line, '\n');
    std::erase(line, '\r');
    RxLine = std::move(line);
    DecodeSentence();
    Keeping_OnRead();
    PendingClock_OnRead();
    TimeShare_OnRead();
}

}  // namespace quorvane
