#include <chrono>

#include "app/form1.h"
#include "clock/clock_messages.h"
#include "clock/clock_notices.h"

namespace quorvane {

namespace {

// Receivers send every second, so the next burst the reader can date normally comes a second
// later; a setting that finds none in this time is refused.
constexpr std::chrono::seconds kUndatedWaitLimit{5};

}  // namespace

void Form1::holdClockSetting(ClockSetCause cause) {
    if (cause == ClockSetCause::Keeping) {
        // The keeping measures again and asks once more; nobody waits for it.
        logEvent(clockRefusedLogText(cause, undatedBurstMessage()));
        return;
    }
    if (!PendingClockSetting) {
        PendingClockSetting = PendingClockSet{cause, clock_.monotonicNow()};
        logEvent(clockWaitsLogText(cause));
    } else if (cause == ClockSetCause::Button) {
        PendingClockSetting->cause = cause;  // the user who pressed is told, in a box
    }
}

void Form1::PendingClock_OnRead() {
    if (!PendingClockSetting || !LastClockFix || !LastClockFix->trustworthy ||
        clock_.monotonicNow() - PendingClockSetting->since > kUndatedWaitLimit) {
        return;
    }
    const ClockSetCause cause = PendingClockSetting->cause;
    PendingClockSetting.reset();
    setComputerClock(cause);
}

void Form1::PendingClock_Tick() {
    if (!PendingClockSetting ||
        clock_.monotonicNow() - PendingClockSetting->since <= kUndatedWaitLimit) {
        return;
    }
    const ClockSetCause cause = PendingClockSetting->cause;
    PendingClockSetting.reset();
    refuseClockSetting(*this, cause,
                       {notSetSentence("no GPS burst it could date came within " +
                                       std::to_string(kUndatedWaitLimit.count()) + " s"),
                        noDatedBurstMessage(static_cast<int>(kUndatedWaitLimit.count()))});
}

}  // namespace quorvane
