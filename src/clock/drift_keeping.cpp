#include "clock/drift_keeping.h"

#include <algorithm>
#include <cmath>

#include "clock/clock_messages.h"
#include "clock/clock_notices.h"
#include "keeping/keeping_text.h"
#include "settings/drift_file.h"
#include "settings/option_file.h"

namespace quorvane {

namespace {

constexpr const char* kSessionEnds = "the session ends";

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
                 "rate alone. It still sets the clock at the daily setting, at SET TIME and "
                 "after start-up when that option is on.",
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
    if (!f.clock().holdRateLock()) {
        standAside(f, KeepingAsideFor::OtherCopy);
        return;
    }
    f.KeepingAside.clear();
    const MonoTime now = f.clock().monotonicNow();
    f.Keeping.start(monoSeconds(now), f.Keeping.knownDriftPpm(), rateInForce(f));
    f.KeepingDelay = f.ReceiverDelayMs;
    f.KeepingSuspended = f.clock().suspendedTime();
    f.KeepingResumed = false;
    f.KeepingLastReport = now;
    const std::optional<double> drift = f.Keeping.knownDriftPpm();
    f.logEvent(drift ? "Keeping time started, drift " + ppmText(*drift) + " to begin with"
                     : "Keeping time started; the drift is not known yet");
    if (const double trim = trimFor(drift.value_or(0), 0);
        drift && std::abs(trim - f.Keeping.trimPpm()) >= KeepingEngine::kSameTrimPpm) {
        applyKeepingTrim(f, trim, userAsked);
    }
}

double rateInForce(Form1& f) {
    const ClockDiscipline state = f.clock().discipline();
    return state.known ? state.frequencyPpm : 0;
}

void letGoOfRate(Form1& f, const std::string& why) {
    if (!f.KeepingTrimmed) {
        return;
    }
    f.KeepingTrimmed = false;
    const std::optional<double> drift = f.Keeping.knownDriftPpm();
    const double rest =
        drift ? std::clamp(-*drift, -KeepingEngine::kLimitPpm, KeepingEngine::kLimitPpm)
              : f.KeepingFoundRatePpm.value_or(0);
    const ClockSetResult result = f.clock().setFrequencyPpm(rest);
    if (result.outcome != ClockSetOutcome::Set) {
        f.logEvent("Keeping time stops (" + why + "), but the clock's rate could not be set to " +
                   ppmText(rest) + " (" + result.detail + ")");
        return;
    }
    f.Keeping.trimApplied(monoSeconds(f.clock().monotonicNow()), rest);
    f.logEvent("Keeping time stops (" + why + "): the clock's rate is left at " + ppmText(rest) +
               (drift ? ", which only makes up for its drift" : ", as it was found"));
    f.SaveDriftFile();  // no copy steers now: the next start trusts the rate it finds
}

void applyKeepingTrim(Form1& f, double ppm, bool userAsked) {
    const ClockSetResult result = f.clock().setFrequencyPpm(ppm);
    const std::string reason = result.detail.empty() ? "" : " (" + result.detail + ")";
    switch (result.outcome) {
        case ClockSetOutcome::Set:
            f.Keeping.trimApplied(monoSeconds(f.clock().monotonicNow()), ppm);
            f.KeepingSetRatePpm = rateInForce(f);  // as the system rounded it
            if (!f.KeepingTrimmed) {
                // Kept in the drift file while steering, so that a start after a crash knows
                // the rate in force is not the one to go back to.
                f.KeepingTrimmed = true;
                f.SaveDriftFile();
            }
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
    const std::string state = f.KeepingAside.empty()
                                  ? keepingStateText(f.Keeping, f.KeepingHandsOff, f.KeepingStopped)
                                  : f.KeepingAside;
    f.KeepTimeBetweenSettings.setToolTip(state);
    f.TrayIcon1.setToolTip(trayStatusText(f) + "\n" + state);
}

void Form1::KeepTimeBetweenSettings_Click() {
    if (!toggleSavedOption(*this, KeepTimeBetweenSettings, kDriftFileName,
                           [this] { return SaveDriftFile(); })) {
        return;
    }
    if (KeepTimeBetweenSettings.checked()) {
        startKeeping(*this, true);
    } else {
        letGoOfRate(*this, "the option is off");
    }
    showKeepingState(*this);
}

void Form1::Keeping_StopSteering(const std::string& why) {
    if (KeepingStopped.empty()) {
        KeepingStopped = why;  // no tick steers again, pumped events included
    }
    letGoOfRate(*this, why);
}

void Form1::Form_SessionEnding() {
    Keeping_StopSteering(kSessionEnds);
}

void Form1::Form_SessionGoesOn() {
    if (KeepingStopped == kSessionEnds && KeepTimeBetweenSettings.checked()) {
        startKeeping(*this, false);
    }
}

}  // namespace quorvane
