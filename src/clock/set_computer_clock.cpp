#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "app/form1.h"
#include "clock/clock_messages.h"
#include "clock/clock_notices.h"
#include "clock/drift_keeping.h"
#include "clock/fix_instant.h"

namespace quorvane {

namespace {

// A fix older than this no longer tells the time well enough to set the clock from.
constexpr std::chrono::seconds kFreshFixLimit{10};
constexpr double kMillisecondsPerHour = 3'600'000.0;

// The UTC value to set the clock to at `now`, or why there is none.
struct ClockValue {
    std::optional<DateTime> utc;
    Notice refusal;  // what the user is told when utc is empty
};

// keptOffsetMs: the clock's offset as the keeping knows it from the recent bursts, when it does;
// computerUtc: the clock's reading now.
ClockValue clockValueAt(const std::optional<ClockFix>& lastFix, MonoTime now, float biasHours,
                        const DateTime& earliestFix, int receiverDelayMs,
                        std::optional<double> keptOffsetMs, const DateTime& computerUtc) {
    if (!lastFix || now - lastFix->burstStart > kFreshFixLimit) {
        return {std::nullopt,
                {notSetSentence("no recent GPS fix"),
                 noRecentFixMessage(static_cast<int>(kFreshFixLimit.count()))}};
    }
    const ClockFix& fix = *lastFix;
    const std::optional<DateTime> fixTime = fixDateTime(fix.fields);
    if (!fixTime) {
        return {std::nullopt,
                {notSetSentence("the GPS fix holds no valid date and time"),
                 invalidFixMessage(fix.fields)}};
    }
    if (toEpochMilliseconds(*fixTime) < toEpochMilliseconds(earliestFix)) {
        return {std::nullopt,
                {notSetSentence("the receiver does not know the date yet"),
                 earlyFixMessage(*fixTime, earliestFix)}};
    }

    // The fix names the instant its burst began, less the receiver's delay; the clock is set to
    // the time now. The age is rounded, not cut off: that would set the clock half a
    // millisecond behind on average.
    const auto age = std::chrono::round<std::chrono::milliseconds>(now - fix.burstStart);
    // While the keeping knows the offset from what the recent bursts agree on, that is taken
    // out rather than one burst's: a setting then never leaves the clock worse than kept.
    const DateTime utcNow =
        keptOffsetMs
            ? addMilliseconds(computerUtc, -std::llround(*keptOffsetMs))
            : addMilliseconds(*fixTime, fix.fractionMs + std::max<std::int64_t>(age.count(), 0) +
                                            receiverDelayMs);

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
    const auto refuse = [&](const Notice& why) -> std::optional<ClockSetting> {
        refuseClockSetting(*this, cause, why);
        return std::nullopt;
    };

    if (TimeShareInForce && cause != ClockSetCause::Button) {
        logEvent(clockRefusedLogText(cause, "chrony keeps the clock while time is shared with it"));
        return std::nullopt;
    }
    if (TimeValid.fillColor() != LampGreen) {
        // Normal at a scheduled minute without a fix: logged, nobody is bothered.
        logEvent(clockRefusedLogText(cause, noValidFixMessage()));
        return std::nullopt;
    }
    // A burst the reader could not date (it waited while the reader could not run) tells no
    // arrival time: the next one it could date completes the setting.
    if (LastClockFix && !LastClockFix->trustworthy) {
        holdClockSetting(cause);
        return std::nullopt;
    }

    const MonoTime now = clock_.monotonicNow();
    const ClockValue value =
        clockValueAt(LastClockFix, now, GetTimeZoneBias(), EarliestFixDate,
                     ReceiverDelayMs.value_or(0), keptOffsetMs(*this, now), utcNow());
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
            return refuse(
                {notSetSentence("Quorvane lacks the right to set it; see Quorvane.log"),
                 notPermittedMessage(files_.executablePath(), result.detail, ClockRightWithdrawn)});
        case ClockSetOutcome::Failed:
            return refuse({notSetSentence("the system refused; see Quorvane.log"),
                           clockFailedMessage(result.detail)});
    }

    const ClockSetting setting{cause, *value.utc,
                               toEpochMilliseconds(*value.utc) - toEpochMilliseconds(before), now,
                               ReceiverDelayMs};
    LastClockSetting = setting;
    logEvent(clockSetLogText(setting));
    Keeping_AfterSetting(setting);
    if (cause == ClockSetCause::Button) {
        notifyUser(*this, clockSetNotice(setting.offsetMs), kNoticeGood);
    }
    ScheduleNextUpdate();
    return setting;
}

}  // namespace quorvane
