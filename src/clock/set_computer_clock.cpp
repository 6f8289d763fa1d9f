#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "app/form1.h"
#include "clock/clock_messages.h"

namespace quorvane {

namespace {

// A fix older than this no longer tells the time well enough to set the clock from.
constexpr std::chrono::seconds kFreshFixLimit{10};
constexpr double kMillisecondsPerHour = 3'600'000.0;

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

// The fix's UTC date and time, taken by meaning; nullopt unless the six fields are two digits
// each and form a real date and time.
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

}  // namespace

void Form1::SetComputerClock_Click() {
    if (TimeValid.fillColor() != LampGreen) {
        return;
    }

    const MonoTime now = clock_.monotonicNow();
    if (!LastClockFix || now - LastClockFix->burstStart > kFreshFixLimit) {
        desktop_.messageBox(noRecentFixMessage(static_cast<int>(kFreshFixLimit.count())),
                            kProgramTitle);
        return;
    }
    const ClockFix fix = *LastClockFix;

    const std::optional<DateTime> fixTime = fixDateTime(fix.fields);
    if (!fixTime) {
        desktop_.messageBox(invalidFixMessage(fix.fields), kProgramTitle);
        return;
    }
    if (toEpochMilliseconds(*fixTime) < toEpochMilliseconds(EarliestFixDate)) {
        desktop_.messageBox(earlyFixMessage(*fixTime, EarliestFixDate), kProgramTitle);
        return;
    }

    // The fix names the second its burst began; the clock is set to the time now. Rounded, not
    // cut off: that would set the clock half a millisecond behind on average.
    const auto age = std::chrono::round<std::chrono::milliseconds>(now - fix.burstStart);
    const DateTime utcNow =
        addMilliseconds(*fixTime, fix.fractionMs + std::max<std::int64_t>(age.count(), 0));

    const std::int64_t biasMs =
        std::llround(static_cast<double>(GetTimeZoneBias()) * kMillisecondsPerHour);
    const DateTime local = addMilliseconds(utcNow, -biasMs);
    // One call with the whole value: set as separate date and time, a midnight passing between
    // them would leave the clock a day out. Going back with the same bias also keeps the
    // daylight state of the moment from shifting what is set.
    const DateTime reading = this->utcNow();
    const ClockSetResult result = clock_.setUtc(addMilliseconds(local, biasMs));

    switch (result.outcome) {
        case ClockSetOutcome::Set:
            learnDrift(toEpochMilliseconds(utcNow) - toEpochMilliseconds(reading), utcNow);
            ScheduleNextUpdate();
            break;
        case ClockSetOutcome::NotPermitted:
            desktop_.messageBox(
                notPermittedMessage(joinPath(files_.programFolder(), "quorvane"), result.detail),
                kProgramTitle);
            break;
        case ClockSetOutcome::Failed:
            desktop_.messageBox(clockFailedMessage(result.detail), kProgramTitle);
            break;
    }
}

}  // namespace quorvane
