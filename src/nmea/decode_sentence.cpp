#include <algorithm>
#include <array>
#include <string_view>

#include "app/counters.h"
#include "app/form1.h"
#include "nmea/date_format.h"
#include "nmea/sentence_paths.h"
#include "nmea/talkers.h"

namespace quorvane {

namespace {

struct SentencePath {
    std::string_view tag;
    void (*decode)(Form1&, std::string_view);
};

// Exact, case-sensitive tags: only the "GP" talker for RMC and GGA (other systems' talkers
// only when the user accepts them, nmea/talkers.cpp).
constexpr std::array<SentencePath, 4> kSentencePaths{{
    {"$GPRMC", nmea::decodeRmc},
    {"$GPGGA", nmea::decodeGga},
    {"$PGRMZ", nmea::decodePgrmz},
    {"$PGRMF", nmea::decodePgrmf},
}};

}  // namespace

void Form1::DecodeSentence() {
    // The hover balloon lists the last ten lines, oldest first; empty ones are skipped except
    // the newest, so the user sees that an empty line arrived.
    BalloonText.clear();
    for (std::size_t i = SentenceHistory.size() - 1; i >= 1; --i) {
        SentenceHistory[i] = SentenceHistory[i - 1];
        if (!SentenceHistory[i].empty()) {
            BalloonText += SentenceHistory[i] + "\r\n";
        }
    }
    SentenceHistory[0] = RxLine;
    BalloonText += RxLine + "\r\n";

    for (Label* label : {&Label2, &Label6, &Label7, &GPS_Label}) {
        label->setToolTip(RxLine);
    }

    // A line that is none of these, or one of them cut short, only counts as reception.
    const std::string_view tag = std::string_view(RxLine).substr(0, 6);
    const auto path = std::find_if(kSentencePaths.begin(), kSentencePaths.end(),
                                   [tag](const SentencePath& known) { return tag == known.tag; });
    if (path != kSentencePaths.end()) {
        path->decode(*this, RxLine);
    } else {
        nmea::decodeOtherSystem(*this, RxLine);
    }
    nmea::watchTalkers(*this, RxLine);

    TimeComputer.setText(formatDisplayDateTime(clock().localNow()));
    addToCount(RxStaleCount, -1);
}

}  // namespace quorvane
