#include <cmath>
#include <string>

#include "app/form1.h"
#include "clock/clock_notices.h"
#include "clock/fix_instant.h"
#include "settings/time_share_file.h"

namespace quorvane {

namespace {

// A segment refused (chrony made it first, say) is tried again this often, so the user's cure
// takes without a click.
constexpr std::int16_t kRetryEveryTicks = 30;
constexpr std::int64_t kNsPerMs = 1'000'000;

std::string sharingText(const Form1& f) {
    return "Sharing time with chrony, SHM " + std::to_string(f.TimeShareUnit);
}

// Takes the segment. A refusal is logged and told once per reason: in a box when the user just
// asked, else in a notification.
void openSegment(Form1& f, bool userAsked) {
    const std::string problem = f.timeShare().open(f.TimeShareUnit);
    f.TimeShareInForce = problem.empty();
    f.TimeShareRetryTicks = kRetryEveryTicks;
    if (f.TimeShareInForce) {
        f.TimeShareProblem.clear();
        f.logEvent(sharingText(f) +
                   ": chrony keeps the clock; the daily setting, the setting after start-up and "
                   "keeping time between settings stand aside");
        return;
    }
    if (problem == f.TimeShareProblem && !userAsked) {
        return;
    }
    f.TimeShareProblem = problem;
    const std::string full = "Quorvane cannot share time with chrony. " + problem;
    f.logEvent(full);
    if (userAsked) {
        f.desktop().messageBox(full, kProgramTitle);
    } else {
        notifyUser(f, "Quorvane cannot share time with chrony; see Quorvane.log.", kNoticeWarning);
    }
}

void stopSharing(Form1& f) {
    if (f.TimeShareInForce) {
        f.timeShare().close();
        f.logEvent("Time sharing with chrony stopped; Quorvane keeps the clock again");
    }
    f.TimeShareInForce = false;
    f.TimeShareProblem.clear();
}

// The item's tooltip and, while the option is on, the tray's second line.
void showSharingState(Form1& f) {
    if (!f.ShareTimeWithChrony.checked()) {
        f.ShareTimeWithChrony.setToolTip(
            "Gives chrony a sample of every GPS fix; chrony then keeps the clock and serves it "
            "to other computers");
        return;
    }
    const std::string state =
        f.TimeShareInForce ? sharingText(f) : "Not sharing time with chrony: " + f.TimeShareProblem;
    f.ShareTimeWithChrony.setToolTip(state);
    f.TrayIcon1.setToolTip(trayStatusText(f) + "\n" +
                           (f.TimeShareInForce ? state : "Not sharing time with chrony"));
}

}  // namespace

void Form1::ShareTimeWithChrony_Click() {
    if (!timeShare_.unavailableReason().empty()) {
        return;
    }
    if (!toggleTimeShareFile(*this)) {
        return;
    }
    if (ShareTimeWithChrony.checked()) {
        openSegment(*this, true);
    } else {
        stopSharing(*this);
    }
    showSharingState(*this);
}

void Form1::TimeShare_OnRead() {
    if (!TimeShareInForce || !LastClockFix || TimeValid.fillColor() != LampGreen ||
        LastClockFix->burstStart == TimeShareSampledBurst) {
        return;
    }
    const ClockFix& fix = *LastClockFix;
    TimeShareSampledBurst = fix.burstStart;
    // A burst its reader could not date would hand chrony a wrong offset as a good one.
    if (!fix.trustworthy) {
        return;
    }
    const std::optional<std::int64_t> named = namedInstantMs(fix);
    if (!named || *named < toEpochMilliseconds(EarliestFixDate)) {
        return;
    }
    // The same corrected instant that SET TIME sets, against the clock at the burst's first byte.
    timeShare_.write({(*named + ReceiverDelayMs.value_or(0)) * kNsPerMs,
                      std::llround(utcMsAt(*this, fix.burstStart) * kNsPerMs)});
}

void Form1::TimeShare_Tick() {
    if (!ShareTimeWithChrony.checked()) {
        return;
    }
    if (!TimeShareInForce && --TimeShareRetryTicks <= 0) {
        openSegment(*this, false);
    }
    showSharingState(*this);
}

void Form1::LoadTimeShareFile() {
    if (const std::string reason = timeShare_.unavailableReason(); !reason.empty()) {
        ShareTimeWithChrony.setChecked(false);
        ShareTimeWithChrony.setEnabled(false);
        ShareTimeWithChrony.setToolTip(reason);
        return;
    }
    loadTimeShareFile(*this);
    // The first tick takes the segment.
    TimeShareRetryTicks = 0;
    showSharingState(*this);
}

}  // namespace quorvane
