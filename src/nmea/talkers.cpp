#include "nmea/talkers.h"

#include <array>
#include <chrono>

#include "clock/clock_notices.h"
#include "nmea/checksum.h"
#include "nmea/sentence_paths.h"
#include "settings/option_file.h"

namespace quorvane {

namespace {

constexpr CheckOption kTalkersOption{"QuorvaneTalkers.XML", "TALKERS",
                                     "ACCEPT_ALL_SATELLITE_SYSTEMS"};

// GNSS combined, GLONASS, Galileo, BeiDou (both names), QZSS, NavIC.
constexpr std::array<std::string_view, 7> kOtherTalkers{"GN", "GL", "GA", "GB", "BD", "GQ", "GI"};

// RMC lines under another talker, without $GPRMC among them for this long, mean the receiver
// names its fixes only that way.
constexpr std::chrono::seconds kTalkerNoticeAfter{15};
// A longer silence between such lines starts the watch again.
constexpr std::chrono::seconds kTalkerWatchGap{3};

// "$GNRMC" as a talker of the list and a sentence name; nullopt for any other line.
std::optional<std::string_view> otherTalker(std::string_view sentence, std::string_view name) {
    if (sentence.size() < 6 || sentence[0] != '$' || sentence.substr(3, 3) != name) {
        return std::nullopt;
    }
    const std::string_view talker = sentence.substr(1, 2);
    for (std::string_view known : kOtherTalkers) {
        if (talker == known) {
            return talker;
        }
    }
    return std::nullopt;
}

}  // namespace

namespace nmea {

void decodeOtherSystem(Form1& form, std::string_view sentence) {
    if (!form.AcceptAllSatelliteSystems.checked()) {
        return;
    }
    if (otherTalker(sentence, "RMC")) {
        decodeRmc(form, sentence);
    } else if (otherTalker(sentence, "GGA")) {
        decodeGga(form, sentence);
    }
}

void watchTalkers(Form1& form, std::string_view sentence) {
    if (form.AcceptAllSatelliteSystems.checked() || form.TalkerNoticeGiven) {
        return;
    }
    if (sentence.substr(0, 6) == "$GPRMC") {
        form.OtherTalkerSince.reset();
        return;
    }
    const std::optional<std::string_view> talker = otherTalker(sentence, "RMC");
    if (!talker || !checksumCorrectOrAbsent(sentence)) {
        return;
    }
    const MonoTime now = form.clock().monotonicNow();
    if (!form.OtherTalkerSince || now - form.OtherTalkerLast > kTalkerWatchGap) {
        form.OtherTalkerSince = now;
    }
    form.OtherTalkerLast = now;
    if (now - *form.OtherTalkerSince < kTalkerNoticeAfter) {
        return;
    }
    form.TalkerNoticeGiven = true;
    const std::string text = "This receiver names its fixes $" + std::string(*talker) +
                             "RMC (several satellite systems). Quorvane reads them when Comm > "
                             "Accept All Satellite Systems is checked.";
    notifyAndLog(form, {text, text}, kNoticeWarning);
}

}  // namespace nmea

void Form1::LoadTalkersFile() {
    loadCheckOption(*this, AcceptAllSatelliteSystems, kTalkersOption);
}

void Form1::AcceptAllSatelliteSystems_Click() {
    toggleCheckOption(*this, AcceptAllSatelliteSystems, kTalkersOption);
}

}  // namespace quorvane
