#include <chrono>

#include "app/form1.h"
#include "clock/fix_instant.h"
#include "clock/receiver_delay_messages.h"

namespace quorvane {

namespace {

// A receiver sends every second; a fix older than this means it has stopped.
constexpr std::chrono::seconds kRecentFix{3};

// Why no measurement can start from the fix held now; "" when one can.
std::string startRefusal(Form1& f) {
    if (f.TimeValid.fillColor() != LampGreen || !f.LastClockFix ||
        f.clock().monotonicNow() - f.LastClockFix->burstStart > kRecentFix ||
        !namedInstantMs(*f.LastClockFix)) {
        return delayNoValidFixMessage();
    }
    // The display takes every time-carrying line; the clock's fix only sound ones.
    if (f.FixTime != f.LastClockFix->fields) {
        return delayChecksumFailedMessage();
    }
    return {};
}

}  // namespace

void Form1::Menu_ReceiverDelay_Measure_Click() {
    if (DelayMeasuring) {
        return;  // one at a time; the progress window shows the one running
    }
    if (const std::string why = startRefusal(*this); !why.empty()) {
        desktop_.messageBox(why, kProgramTitle);
        return;
    }
    // Held while the question is up, so a second click or the receive path leaves it alone.
    DelayMeasuring.emplace();
    const ClockDiscipline discipline = clock_.discipline();
    if (!discipline.known || discipline.unsynchronised) {
        const bool goOn = desktop_.askOkCancel(
            discipline.known ? delayUnsyncedClockQuestion() : delayNetworkClockQuestion(),
            kProgramTitle);
        if (!goOn || ProgramEnded) {
            DelayMeasuring.reset();
            return;
        }
    }
    // Bursts went on while the question was up: start from the newest.
    const std::optional<std::int64_t> named =
        LastClockFix ? namedInstantMs(*LastClockFix) : std::nullopt;
    if (!named) {
        DelayMeasuring.reset();
        desktop_.messageBox(delayNoValidFixMessage(), kProgramTitle);
        return;
    }
    DelayMeasurement& m = *DelayMeasuring;
    m.asking = false;
    m.started = clock_.monotonicNow();
    m.lastBurst = LastClockFix->burstStart;
    m.lastNamedMs = *named;
    desktop_.showProgress(delayProgressText(0), kProgramTitle, static_cast<int>(kDelayBursts),
                          [this] { DelayMeasuring.reset(); });
}

void Form1::ReceiverDelay_OnRead() {
    if (!DelayMeasuring || DelayMeasuring->asking || !LastClockFix || ProgramEnded) {
        return;
    }
    DelayMeasurement& m = *DelayMeasuring;
    const ClockFix& fix = *LastClockFix;
    if (fix.burstStart == m.lastBurst || !fix.trustworthy) {
        // The burst already sampled, a checksum-failed line that left the fix alone, or a burst
        // that waited while the reader could not run.
        return;
    }
    const std::optional<std::int64_t> named = namedInstantMs(fix);
    if (!named || *named <= m.lastNamedMs) {
        DelayMeasuring.reset();
        desktop_.closeProgress();
        desktop_.showNotice(named ? delayNotAdvancingMessage() : delayNoValidFixMessage(),
                            kProgramTitle);
        return;
    }
    m.lastBurst = fix.burstStart;
    m.lastNamedMs = *named;
    m.samplesMs.push_back(utcMsAt(*this, fix.burstStart) - static_cast<double>(*named));
    desktop_.setProgress(static_cast<int>(m.samplesMs.size()),
                         delayProgressText(m.samplesMs.size()));
    ReceiverDelay_Tick();  // ends it at the last burst
}

void Form1::ReceiverDelay_Tick() {
    if (!DelayMeasuring || DelayMeasuring->asking) {
        return;
    }
    if (DelayMeasuring->samplesMs.size() < kDelayBursts &&
        clock_.monotonicNow() - DelayMeasuring->started < kDelayMeasureTime) {
        return;
    }
    const DelayVerdict verdict = judgeDelaySamples(DelayMeasuring->samplesMs);
    DelayMeasuring.reset();
    desktop_.closeProgress();
    // Told without a modal box: this may run inside a tick or a received line.
    std::string message = delayVerdictMessage(verdict);
    if (verdict.outcome == DelayOutcome::Accepted) {
        if (const std::string failure = UseReceiverDelay(verdict.delayMs); !failure.empty()) {
            message = delayMeasuredNotSavedMessage(verdict, failure);
        }
    }
    desktop_.showNotice(message, kProgramTitle);
}

}  // namespace quorvane
