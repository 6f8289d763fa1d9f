#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "app/form1.h"
#include "clock/clock_messages.h"
#include "clock/clock_notices.h"

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

// The UTC value to set the clock to at `now`, or why there is none.
struct ClockValue {
    std::optional<DateTime> utc;
    std::string refusal;  // the user's message when utc is empty
};

ClockValue clockValueAt(const std::optional<ClockFix>& lastFix, MonoTime now, float biasHours,
                        const DateTime& earliestFix) {
    if (!lastFix || now - lastFix->burstStart > kFreshFixLimit) {
        return {std::nullopt, noRecentFixMessage(static_cast<int>(kFreshFixLimit.count()))};
    }
    const ClockFix& fix = *lastFix;
    const std::optional<DateTime> fixTime = fixDateTime(fix.fields);
    if (!fixTime) {
        return {std::nullopt, invalidFixMessage(fix.fields)};
    }
    if (toEpochMilliseconds(*fixTime) < toEpochMilliseconds(earliestFix)) {
        return {std::nullopt, earlyFixMessage(*fixTime, earliestFix)};
    }

    // The fix names the second its burst began; the clock is set to the time now. Rounded, not
    // cut off: that would set the clock half a millisecond behind on average.
    const auto age = std::chrono::round<std::chrono::milliseconds>(now - fix.burstStart);
    const DateTime utcNow =
        addMilliseconds(*fixTime, fix.fractionMs + std::max<std::int64_t>(age.count(), 0));

    const std::int64_t biasMs = std::llround(static_cast<double>(biasHours) * kMillisecondsPerHour);
    const DateTime local = addMilliseconds(utcNow, -biasMs);
    // Going back with the same bias keeps the daylight state of the moment from shifting what
    // is set.
    return {addMilliseconds(local, biasMs), {}};
}

}  // namespace

void Form1::SetComputerClock_Click() {
    setComputerClock(ClockSetCause::Button);
}

std::optional<ClockSetting> Form1::setComputerClock(ClockSetCause cause) {
    // The log first: a box may stay up for days. Only the user who pressed "SET TIME" gets a
    // box; the timer's settings must not stop the heartbeat waiting for an answer.
    const auto refuse = [&](const std::string& message) -> std::optional<ClockSetting> {
        logEvent(clockRefusedLogText(cause, message));
        if (cause == ClockSetCause::Button) {
            desktop_.messageBox(message, kProgramTitle);
        } else {
            notifyUser(*this, message, kNoticeWarning);
        }
        return std::nullopt;
    };

    if (TimeValid.fillColor() != LampGreen) {
        // Normal at a scheduled minute without a fix: logged, nobody is bothered.
        logEvent(clockRefusedLogText(cause, noValidFixMessage()));
        return std::nullopt;
    }

    const MonoTime now = clock_.monotonicNow();
    const ClockValue value = clockValueAt(LastClockFix, now, GetTimeZoneBias(), EarliestFixDate);
    if (!value.utc) {
        return refuse(value.refusal);
    }
    // Set as one value: as separate date and time, a midnight passing between them would leave
    // the clock a day out.
    const DateTime before = utcNow();
    const ClockSetResult result = clock_.setUtc(*value.utc);

    switch (result.outcome) {
        case ClockSetOutcome::Set:
            break;
        case ClockSetOutcome::NotPermitted:
            return refuse(notPermittedMessage(files_.executablePath(), result.detail));
        case ClockSetOutcome::Failed:
            return refuse(clockFailedMessage(result.detail));
    }

    const ClockSetting setting{
        cause, *value.utc, toEpochMilliseconds(*value.utc) - toEpochMilliseconds(before), now};
    LastClockSetting = setting;
    logEvent(clockSetLogText(setting));
    if (cause == ClockSetCause::Button) {
        notifyUser(*this, clockSetNotice(setting.offsetMs), kNoticeGood);
    }
    ScheduleNextUpdate();
    return setting;
}

}  // namespace quorvane
