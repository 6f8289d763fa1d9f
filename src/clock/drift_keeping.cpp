#include <cmath>
#include <cstdio>

#include "app/form1.h"
#include "clock/clock_messages.h"
#include "clock/clock_notices.h"

namespace quorvane {

namespace {

constexpr double kSecondsPerDayPerPpm = 86'400e-6;

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// What the option's item shows as its tooltip.
std::string driftToolTip(const Form1& f) {
    const std::optional<double> drift = f.Drift.driftPpm();
    if (!drift) {
        return "Drift not learned yet: each two clock settings at least 6 hours apart give an "
               "estimate";
    }
    const bool trimmed = f.KeepTimeBetweenSettings.checked() && f.DriftTrim.trimmedByUs();
    std::string tip = driftText(*drift) + (trimmed ? ", trimmed" : ", not trimmed");
    if (f.KeepTimeBetweenSettings.checked() && !trimmed && !f.DriftTrimNote.empty()) {
        tip += ": " + f.DriftTrimNote;
    }
    return tip + " (untrimmed, this clock " + (*drift < 0 ? "loses " : "gains ") +
           fixed(std::abs(*drift) * kSecondsPerDayPerPpm, 2) + " s a day)";
}

std::string observationText(const DriftObservation& seen, const DriftLearner& learner) {
    using Kind = DriftObservation::Kind;
    const std::string over = " ppm over " + fixed(seen.hours, 1) + " h";
    const std::string estimate = "Drift estimate " + fixed(seen.estimatePpm, 2) + over;
    const std::string learned =
        learner.driftPpm() ? "; drift learned " + fixed(*learner.driftPpm(), 2) + " ppm, " +
                                 std::to_string(learner.estimates().size()) + " estimates kept"
                           : std::string();
    switch (seen.kind) {
        case Kind::First:
        case Kind::TooSoon:
        case Kind::TrimChanged:
            return {};  // no estimate to tell of
        case Kind::Accepted:
            return estimate + learned;
        case Kind::Implausible:
            return estimate + " ignored: beyond 500 ppm, the clock was changed by other means";
        case Kind::FarOff:
            return estimate + " ignored: far from the median of those kept" + learned;
        case Kind::Replaced:
            return estimate + " agrees with the estimates before it: the drift has changed" +
                   learned;
    }
    return {};
}

}  // namespace

void Form1::KeepTimeBetweenSettings_Click() {
    KeepTimeBetweenSettings.setChecked(!KeepTimeBetweenSettings.checked());
    SaveDriftFile();
    followDrift(true);
}

void Form1::learnDrift(const ClockSetting& setting) {
    const DriftObservation seen =
        Drift.observe({setting.offsetMs, toEpochMilliseconds(setting.utcSet),
                       DriftTrim.trimInForce(), DriftTrim.steady()});
    // Learned while the option is off too, so the tooltip can show the drift before the user
    // turns it on; but the log and the files beside the program stay as they were until then.
    if (KeepTimeBetweenSettings.checked()) {
        if (const std::string text = observationText(seen, Drift); !text.empty()) {
            logEvent(text);
        }
        if (seen.kind == DriftObservation::Kind::Accepted ||
            seen.kind == DriftObservation::Kind::Replaced) {
            SaveDriftFile();
        }
    }
    followDrift(false);
    DriftTrim.beginInterval();
}

void Form1::followDrift(bool userAsked) {
    const TrimResult result =
        DriftTrim.follow(clock_, KeepTimeBetweenSettings.checked(), Drift.driftPpm());
    std::string tell;
    switch (result.kind) {
        case TrimResult::Kind::Unchanged:
            break;
        case TrimResult::Kind::Trimmed:
            DriftTrimNote.clear();
            logEvent("Clock rate trimmed by " + fixed(result.ppm, 3) + " ppm");
            break;
        case TrimResult::Kind::Disciplined:
            DriftTrimNote = "another program keeps the clock";
            if (!DriftToldDisciplined) {
                DriftToldDisciplined = true;
                tell =
                    "Another program keeps this computer's clock, so Quorvane leaves the "
                    "clock's rate alone and only sets the clock.";
            }
            break;
        case TrimResult::Kind::NotPermitted:
            DriftTrimNote = "no right to trim the clock's rate";
            tell = "Quorvane could not trim the clock's rate to keep time between settings.\n\n" +
                   notPermittedMessage(joinPath(files_.programFolder(), "quorvane"), result.detail);
            break;
        case TrimResult::Kind::Failed:
            DriftTrimNote = "the system refused to trim the clock's rate";
            tell = "Quorvane could not trim the clock's rate to keep time between settings: " +
                   (result.detail.empty() ? std::string("the system refused") : result.detail) +
                   ".";
            break;
    }
    if (!tell.empty()) {
        logEvent(tell);
        if (userAsked) {
            desktop_.messageBox(tell, kProgramTitle);
        } else {
            notifyUser(*this, tell, kNoticeWarning);
        }
    }
    KeepTimeBetweenSettings.setToolTip(driftToolTip(*this));
}

}  // namespace quorvane
