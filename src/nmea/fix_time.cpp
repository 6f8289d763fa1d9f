#include "nmea/fix_time.h"

#include <chrono>
#include <optional>

#include "app/counters.h"
#include "nmea/checksum.h"
#include "nmea/date_format.h"
#include "nmea/fields.h"

namespace quorvane::nmea {

namespace {

// Receivers send one set of sentences per second.
constexpr std::chrono::seconds kFixCycle{1};

std::optional<int> twoDigits(const std::string& text) {
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
        return std::nullopt;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

}  // namespace

FixFields cutFixFields(std::string_view timeField, std::string_view dateField) {
    auto pair = [](std::string_view field, std::size_t start) {
        return std::string(cut(field, start, 2));
    };
    return FixFields{pair(timeField, 0), pair(timeField, 2), pair(timeField, 4),
                     pair(dateField, 0), pair(dateField, 2), pair(dateField, 4)};
}

std::string fixDateTimeText(const FixFields& f) {
    const auto day = twoDigits(f.FixDay), month = twoDigits(f.FixMonth),
               year = twoDigits(f.FixYear), hour = twoDigits(f.FixHour),
               minute = twoDigits(f.FixMinute), second = twoDigits(f.FixSecond);
    if (!day || !month || !year || !hour || !minute || !second) {
        return kNoValidFixTime;
    }
    // A leap second (23:59:60) is a real time: checked as :59, shown as received.
    const bool leapSecond = *second == 60;
    const DateTime fix{2000 + *year, *month, *day, *hour, *minute, leapSecond ? 59 : *second, 0};
    if (!isValid(fix)) {
        return kNoValidFixTime;
    }
    std::string text = formatDisplayDateTime(fix);
    if (leapSecond) {
        text.replace(text.size() - 2, 2, "60");
    }
    return text;
}

int fractionMilliseconds(std::string_view timeField) {
    const std::size_t point = timeField.find('.');
    if (point == std::string_view::npos) {
        return 0;
    }
    int ms = 0;
    int scale = 100;
    for (std::size_t i = point + 1; i < timeField.size() && scale > 0; ++i, scale /= 10) {
        if (timeField[i] < '0' || timeField[i] > '9') {
            break;
        }
        ms += (timeField[i] - '0') * scale;
    }
    return ms;
}

void takeFixTime(Form1& form, std::string_view sentence, std::string_view timeField,
                 std::string_view dateField, const char* balloonTitle) {
    form.FixTime = cutFixFields(timeField, dateField);
    form.TimeGPS.setText(fixDateTimeText(form.FixTime));
    addToCount(form.FixStaleCount, -1);
    form.BalloonTitle = balloonTitle;
    // A line corrupted on the wire may still show, but must never set the clock.
    if (!checksumCorrectOrAbsent(sentence)) {
        return;
    }
    const MonoTime lineStart = form.RxStamps.burstStart;
    ClockFix fix{form.FixTime, fractionMilliseconds(timeField), lineStart, lineStart,
                 form.RxStamps.trustworthy};
    const std::optional<ClockFix>& held = form.LastClockFix;
    const bool sameFix = held && held->fields == fix.fields && held->fractionMs == fix.fractionMs;
    if (held && held->lineBurstStart == lineStart) {
        // The same burst start as the fix before. For the same fix (RMC, then PGRMF) that is its
        // burst. For a new fix, no rest on the line marked where its own burst began, and the
        // start belongs to the burst a second earlier: taken as this fix's, it would set the
        // clock a second ahead. The line's own first byte can only set it behind.
        fix.burstStart = sameFix ? held->burstStart : form.RxStamps.firstByte;
        fix.trustworthy = sameFix ? held->trustworthy : fix.trustworthy;
    } else if (sameFix && held->burstStart <= lineStart &&
               lineStart - held->burstStart < kFixCycle) {
        // A second line with the same fix in the same cycle keeps the first one's stamp: on a
        // line that never rests each line is stamped at its own first byte, and the earlier is
        // nearer the fix's second.
        fix.burstStart = held->burstStart;
        fix.trustworthy = held->trustworthy;
    }
    form.LastClockFix = fix;
}

void applyFixReport(std::int16_t& fixStaleCount, std::string_view report,
                    std::initializer_list<std::string_view> differentialCodes) {
    if (report == "0") {
        fixStaleCount = 10;
    } else if (report == "1") {
        addToCount(fixStaleCount, -2);
    } else {
        for (std::string_view code : differentialCodes) {
            if (report == code) {
                addToCount(fixStaleCount, -3);
            }
        }
    }
}

}  // namespace quorvane::nmea
