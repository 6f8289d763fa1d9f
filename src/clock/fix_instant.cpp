#include "clock/fix_instant.h"

#include <chrono>

namespace quorvane {

namespace {

std::optional<int> twoDigits(const std::string& text) {
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
        return std::nullopt;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// GPS time begins in 1980, so 80 to 99 can only be 1980 to 1999: the dates receivers report
// after a cold start or a week rollover. Reading them as 2080 to 2099 would set the clock
// decades ahead instead of refusing the fix.
int fullYear(int twoDigitYear) {
    return twoDigitYear >= 80 ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

}  // namespace

std::optional<DateTime> fixDateTime(const FixFields& f) {
    const auto year = twoDigits(f.FixYear), month = twoDigits(f.FixMonth),
               day = twoDigits(f.FixDay), hour = twoDigits(f.FixHour),
               minute = twoDigits(f.FixMinute), second = twoDigits(f.FixSecond);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    // A leap second (23:59:60) is set as :59, as the system clock itself counts it.
    const DateTime value{
        fullYear(*year), *month, *day, *hour, *minute, *second == 60 ? 59 : *second, 0};
    if (!isValid(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> namedInstantMs(const ClockFix& fix) {
    const std::optional<DateTime> whole = fixDateTime(fix.fields);
    if (!whole) {
        return std::nullopt;
    }
    return toEpochMilliseconds(*whole) + fix.fractionMs;
}

double utcMsAt(Form1& form, MonoTime then) {
    const std::chrono::duration<double, std::milli> since = form.clock().monotonicNow() - then;
    return static_cast<double>(toEpochMilliseconds(form.utcNow())) - since.count();
}

}  // namespace quorvane
