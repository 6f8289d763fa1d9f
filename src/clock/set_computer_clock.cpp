#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "app/form1.h"
#include "clock/clock_messages.h"
#include "clock/fix_instant.h"

namespace quorvane {

namespace {

// A fix older than this no longer tells the time well enough to set the clock from.
constexpr std::chrono::seconds kFreshFixLimit{10};
constexpr double kMillisecondsPerHour = 3'600'000.0;

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

    // The fix names the instant its burst began, less the receiver's delay; the clock is set to
    // the time now. The age is rounded, not cut off: that would set the clock half a
    // millisecond behind on average.
    const auto age = std::chrono::round<std::chrono::milliseconds>(now - fix.burstStart);
    const DateTime utcNow =
        addMilliseconds(*fixTime, fix.fractionMs + std::max<std::int64_t>(age.count(), 0) +
                                      ReceiverDelayMs.value_or(0));

    const std::int64_t biasMs =
        std::llround(static_cast<double>(GetTimeZoneBias()) * kMillisecondsPerHour);
    const DateTime local = addMilliseconds(utcNow, -biasMs);
    // One call with the whole value: set as separate date and time, a midnight passing between
    // them would leave the clock a day out. Going back with the same bias also keeps the
    // daylight state of the moment from shifting what is set.
    const ClockSetResult result = clock_.setUtc(addMilliseconds(local, biasMs));

    switch (result.outcome) {
        case ClockSetOutcome::Set:
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
