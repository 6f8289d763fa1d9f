#include "clock/drift_keeping.h"

#include <cmath>

#include "clock/clock_messages.h"
#include "clock/clock_notices.h"
#include "keeping/keeping_text.h"
#include "settings/drift_file.h"

namespace quorvane {

namespace {

// The notification carries the short sentence, the log the whole text; a box, when the user
// just asked, the whole text too.
void tell(Form1& f, const std::string& notice, const std::string& full, bool userAsked) {
    f.logEvent(full);
    if (userAsked) {
        f.desktop().messageBox(full, kProgramTitle);
    } else {
        notifyUser(f, notice, kNoticeWarning);
    }
}

}  // namespace

double monoSeconds(MonoTime t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

bool otherProgramKeepsClock(Form1& f) {
    if (f.TimeShareInForce) {  // chrony, fed by this program, keeps it
        f.KeepingHandsOff = true;
        f.KeepingTrimmed = false;
        return true;
    }
    const ClockDiscipline state = f.clock().discipline();
    const bool other = state.known && (!state.unsynchronised || state.pll);
    if (other && !f.KeepingHandsOff) {
        f.KeepingHandsOff = true;
        f.KeepingTrimmed = false;  // the rate is the other program's now
        if (!f.KeepingToldHandsOff) {
            f.KeepingToldHandsOff = true;
            tell(f, "Another program keeps the clock, so Quorvane leaves its rate alone.",
                 "Another program keeps this computer's clock, so Quorvane leaves the clock's "
                 "rate alone and only sets the clock at the daily setting.",
                 false);
        }
    }
    return other;
}

void startKeeping(Form1& f, bool userAsked) {
    f.KeepingStopped.clear();
    f.KeepingHandsOff = false;
    if (otherProgramKeepsClock(f)) {
        return;
    }
    const ClockDiscipline state = f.clock().discipline();
    const MonoTime now = f.clock().monotonicNow();
    f.Keeping.start(monoSeconds(now), f.Keeping.driftPpm(), state.known ? state.frequencyPpm : 0);
    f.KeepingDelay = f.ReceiverDelayMs;
    f.KeepingSuspended = f.clock().suspendedTime();
    f.KeepingResumed = false;
    f.KeepingLastReport = now;
    f.logEvent("Keeping time started, drift " + ppmText(f.Keeping.driftPpm()) + " to begin with");
    if (const double trim = trimFor(f.Keeping.driftPpm(), 0);
        std::abs(trim - f.Keeping.trimPpm()) >= KeepingEngine::kSameTrimPpm) {
        applyKeepingTrim(f, trim, userAsked);
    }
}

void applyKeepingTrim(Form1& f, double ppm, bool userAsked) {
    const ClockSetResult result = f.clock().setFrequencyPpm(ppm);
    const std::string reason = result.detail.empty() ? "" : " (" + result.detail + ")";
    switch (result.outcome) {
        case ClockSetOutcome::Set:
            f.Keeping.trimApplied(monoSeconds(f.clock().monotonicNow()), ppm);
            f.KeepingTrimmed = true;
            return;
        case ClockSetOutcome::NotPermitted:
            f.KeepingStopped = "no right to trim the clock's rate";
            tell(f, "Quorvane could not trim the clock's rate: it is not allowed to.",
                 notPermittedToTrimMessage(f.files().executablePath(), f.ClockRightWithdrawn) +
                     reason,
                 userAsked);
            return;
        case ClockSetOutcome::Failed:
            f.KeepingStopped = "the system refused to trim the clock's rate";
            tell(f, "Quorvane could not trim the clock's rate.",
                 "Quorvane could not trim the clock's rate to keep time between settings" + reason +
                     ".",
                 userAsked);
            return;
    }
}

void showKeepingState(Form1& f) {
    if (!f.KeepTimeBetweenSettings.checked()) {
        f.KeepTimeBetweenSettings.setToolTip(
            "Measures the clock against every GPS fix and steers its rate between settings");
        return;
    }
    const std::string state = keepingStateText(f.Keeping, f.KeepingHandsOff, f.KeepingStopped);
    f.KeepTimeBetweenSettings.setToolTip(state);
    const std::string status = f.TimeValid.fillColor() == LampGreen
                                   ? std::string(kProgramTitle) + " > " + f.TimeGPS.text()
                                   : std::string(kProgramTitle) + " > NOT VALID";
    f.TrayIcon1.setToolTip(status + "\n" + state);
}

void Form1::KeepTimeBetweenSettings_Click() {
    const bool on = !KeepTimeBetweenSettings.checked();
    KeepTimeBetweenSettings.setChecked(on);
    if (const std::string failure = SaveDriftFile(); !failure.empty()) {
        // The check mark shows what the next start will find.
        KeepTimeBetweenSettings.setChecked(!on);
        const std::string text = std::string("Quorvane could not save ") + kDriftFileName +
                                 ", so \"Keep Time Between Settings\" stays " +
                                 (on ? "off" : "on") + ".\n\n(" + failure + ")";
        logEvent(text);
        desktop_.messageBox(text, kProgramTitle);
        return;
    }
    if (on) {
        startKeeping(*this, true);
    } else if (KeepingTrimmed) {
        KeepingTrimmed = false;
        applyKeepingTrim(*this, 0, true);
        KeepingTrimmed = false;
        if (KeepingStopped.empty()) {
            logEvent("Clock rate trim removed");
        }
    }
    showKeepingState(*this);
}

}  // namespace quorvane
