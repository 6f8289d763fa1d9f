#include <array>
#include <string_view>

#include "app/counters.h"
#include "app/form1.h"
#include "nmea/date_format.h"
#include "nmea/sentence_paths.h"

namespace quorvane {

namespace {

struct SentencePath {
    std::string_view tag;
    void (*decode)(Form1&, std::string_view);
};

// Exact, case-sensitive tags: only the "GP" talker for RMC and GGA.
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
    for (const SentencePath& path : kSentencePaths) {
        if (tag == path.tag) {
            path.decode(*this, RxLine);
            break;
        }
    }

    TimeComputer.setText(formatDisplayDateTime(clock().localNow()));
    addToCount(RxStaleCount, -1);
}

}  // namespace quorvane
