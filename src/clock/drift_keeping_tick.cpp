#include <chrono>

#include "clock/drift_keeping.h"
#include "clock/fix_instant.h"
#include "keeping/keeping_text.h"

namespace quorvane {

namespace {

// The boot-time clock gaining this much on the monotonic one means the computer slept.
constexpr std::chrono::seconds kSuspendedAtLeast{1};
constexpr std::chrono::hours kReportEvery{1};

bool running(const Form1& f) {
    return f.KeepTimeBetweenSettings.checked() && f.KeepingStopped.empty() && !f.KeepingHandsOff;
}

// A resume from suspend, or a new receiver delay: what the estimate knew no longer holds.
void restartWhenDue(Form1& f) {
    const std::optional<std::chrono::milliseconds> suspended = f.clock().suspendedTime();
    const bool resumed =
        f.KeepingResumed ||
        (suspended && f.KeepingSuspended && *suspended - *f.KeepingSuspended >= kSuspendedAtLeast);
    f.KeepingSuspended = suspended;
    f.KeepingResumed = false;
    if (resumed) {
        f.Keeping.restart();
        f.logEvent("Keeping time: the computer resumed from suspend; the estimate starts afresh");
    }
    if (f.ReceiverDelayMs != f.KeepingDelay) {
        f.KeepingDelay = f.ReceiverDelayMs;
        f.Keeping.restart();
        f.logEvent("Keeping time: the receiver delay changed; the estimate starts afresh");
    }
}

}  // namespace

void Form1::Keeping_OnRead() {
    if (!running(*this) || !LastClockFix || TimeValid.fillColor() != LampGreen ||
        LastClockFix->burstStart == KeepingSampledBurst || !LastClockFix->trustworthy) {
        return;
    }
    const ClockFix& fix = *LastClockFix;
    KeepingSampledBurst = fix.burstStart;
    const std::optional<DateTime> named = fixDateTime(fix.fields);
    if (!named || toEpochMilliseconds(*named) < toEpochMilliseconds(EarliestFixDate)) {
        return;
    }
    // The computer's UTC at the burst's first byte, against the instant the fix names plus the
    // time the receiver takes to begin its burst.
    const std::chrono::duration<double, std::milli> sinceBurst =
        clock_.monotonicNow() - fix.burstStart;
    const double computerMs =
        static_cast<double>(toEpochMilliseconds(utcNow())) - sinceBurst.count();
    const auto trueMs = static_cast<double>(toEpochMilliseconds(*named) + fix.fractionMs +
                                            ReceiverDelayMs.value_or(0));
    Keeping.sample(monoSeconds(fix.burstStart), computerMs - trueMs);
}

void Form1::Keeping_Tick() {
    if (KeepTimeBetweenSettings.checked() && KeepingStopped.empty()) {
        const bool wasHandsOff = KeepingHandsOff;
        if (!otherProgramKeepsClock(*this) && wasHandsOff) {
            logEvent("Keeping time resumes: no other program keeps the clock now");
            startKeeping(*this, false);
        }
    }
    if (!running(*this)) {
        showKeepingState(*this);
        return;
    }
    restartWhenDue(*this);
    const MonoTime now = clock_.monotonicNow();
    const KeepingAction action = Keeping.tick(monoSeconds(now));
    if (const std::string text = keepingEventText(action, Keeping); !text.empty()) {
        logEvent(text);
    }
    if (action.setClock) {
        if (!setComputerClock(ClockSetCause::Keeping)) {
            Keeping.restart();  // measured again before the next try
        }
    } else if (action.trimPpm) {
        applyKeepingTrim(*this, *action.trimPpm, false);
    }
    if (Keeping.keeping() && now - KeepingLastReport >= kReportEvery) {
        KeepingLastReport = now;
        logEvent(keepingReportText(Keeping));
        SaveDriftFile();  // the drift to start from next time
    }
    showKeepingState(*this);
}

void Form1::Keeping_AfterSetting(const ClockSetting& setting) {
    if (running(*this)) {
        Keeping.stepped(static_cast<double>(setting.offsetMs));
    }
}

void Form1::Form_PowerResume() {
    KeepingResumed = true;
}

}  // namespace quorvane
