#include <utility>

#include "app/counters.h"
#include "app/form1.h"
#include "clock/clock_notices.h"
#include "nmea/date_format.h"

namespace quorvane {

namespace {

// Above this a counter means stale; the counters are kept within 0..kCountCeiling.
constexpr std::int16_t kStaleAbove = 6;
constexpr std::int16_t kCountCeiling = 10;

void ageReception(Form1& f) {
    addToCount(f.RxStaleCount, 1);
    if (f.RxStaleCount > kStaleAbove) {
        f.GPS_CommOK.setFillColor(LampRed);
        if (f.RxStaleCount > kCountCeiling) {
            f.RxStaleCount = kCountCeiling;
        }
    } else {
        f.GPS_CommOK.setFillColor(LampGreen);
        if (f.RxStaleCount < 0) {
            f.RxStaleCount = 0;
        }
    }
}

void forgetReception(Form1& f) {
    f.BalloonTitle = kNoGpsRx;
    for (Label* label : {&f.Label2, &f.Label6, &f.Label7, &f.GPS_Label}) {
        label->setToolTip(kNoGpsRx);
    }
    f.BalloonIcon = 3;
    f.BalloonText = " ";
    f.SentenceHistory.fill("");
}

// Red above 6, green only once the decoder has driven the count below 0 since the last tick;
// in between the lamp keeps its colour.
void ageFix(Form1& f) {
    addToCount(f.FixStaleCount, 1);
    if (f.FixStaleCount > kStaleAbove) {
        f.TimeValid.setFillColor(LampRed);
        f.SetComputerClock.setEnabled(false);
        if (f.FixStaleCount > kCountCeiling) {
            f.FixStaleCount = kCountCeiling;
        }
        if (f.RxStaleCount <= kStaleAbove) {
            f.BalloonTitle = "FIX NOT VALID";
            f.BalloonIcon = 2;
        } else {
            forgetReception(f);
        }
    } else if (f.FixStaleCount < 1) {
        f.TimeValid.setFillColor(LampGreen);
        f.SetComputerClock.setEnabled(true);
        f.FixStaleCount = 0;
        f.BalloonIcon = 0;
    }
}

void showPicture(Form1& f, const char* file, PictureColour colour) {
    f.window.setIcon(f.desktop().loadPicture(joinPath(f.files().programFolder(), file), colour));
    f.TrayIcon1.setIcon(f.window.icon());
    f.desktop().pumpEvents();
}

// Lowers a start-up countdown, never below 0; true at the tick it reaches `at`.
bool countDown(std::int16_t& count, std::int16_t at) {
    addToCount(count, -1);
    if (count < 0) {
        count = 0;
        return false;
    }
    return count == at;
}

// The computer time, the window and tray picture and the tooltip, from the lamps as they are.
// False once a pumped event has ended the program.
bool showStatus(Form1& f) {
    f.TimeComputer.setText(formatDisplayDateTime(f.clock().localNow()));

    // The window icon, which the tray shows too, follows the fix lamp.
    if (f.TimeValid.fillColor() == LampGreen) {
        if (!f.TrayIconGreen) {
            f.TrayIconGreen = true;
            showPicture(f, "GPS_GREEN.ico", PictureColour::Green);
            if (f.ProgramEnded) {
                return false;
            }
        }
        f.TrayIcon1.setToolTip(trayStatusText(f));
    }
    if (f.TimeValid.fillColor() == LampRed) {
        if (f.TrayIconGreen) {
            f.TrayIconGreen = false;
            showPicture(f, "GPS_RED.ico", PictureColour::Red);
            if (f.ProgramEnded) {
                return false;
            }
        }
        f.TrayIcon1.setToolTip(trayStatusText(f));
    }
    return true;
}

// Less than this after the last timed steps, a tick is one the heartbeat bunched up (a queued
// tick run late, next to its successor): it only shows.
constexpr auto kLeastBetweenTimedSteps = std::chrono::milliseconds(500);

// True when this tick is the one of its second to run the timed steps.
bool timedStepsDue(Form1& f) {
    const MonoTime now = f.clock().monotonicNow();
    if (f.LastTimedTick && now - *f.LastTimedTick < kLeastBetweenTimedSteps) {
        return false;
    }
    f.LastTimedTick = now;
    return true;
}

// Everything that counts seconds, in order: the counters and lamps, the receiver-delay
// measurement, the settings after start-up and at the scheduled minute, the countdowns; then
// another try at a receiver port that went away.
void runTimedSteps(Form1& f) {
    ageReception(f);
    ageFix(f);
    f.ReceiverDelay_Tick();
    if (!showStatus(f)) {
        return;
    }

    if (f.GPS_CommOK.fillColor() == LampGreen && f.TimeValid.fillColor() == LampGreen &&
        f.SyncAfterStartupPending) {
        f.SyncAfterStartupPending = false;
        f.setComputerClock(ClockSetCause::AfterStartup);
        if (f.ProgramEnded) {
            return;
        }
    }

    // Only the first tick inside the scheduled minute sets the clock.
    const DateTime local = f.clock().localNow();
    const auto hhmm = static_cast<std::int16_t>(local.hour * 100 + local.minute);
    if (hhmm != f.LastTickHhmm) {
        f.LastTickHhmm = hhmm;
        if (hhmm == f.NextUpdateHhmm) {
            f.setComputerClock(ClockSetCause::Daily);
            if (f.ProgramEnded) {
                return;
            }
        }
    }

    f.PendingClock_Tick();
    if (f.ProgramEnded) {
        return;
    }

    if (countDown(f.StartupDelayCount, 2) && f.GpsPortName != kNoneReset) {
        f.SaveAndStartGPSPort();
        if (f.ProgramEnded) {
            return;
        }
    }

    if (countDown(f.TrayDelayCount, 1)) {
        f.TrayIcon1.add(f.window.icon(), kProgramTitle);
        f.desktop().pumpEvents();
        if (!f.ProgramEnded && f.StartInTaskTray.checked()) {
            f.mhide_Click();
            f.desktop().pumpEvents();
        }
        if (!f.ProgramEnded && !f.StartupNotice.empty()) {
            notifyUser(f, std::exchange(f.StartupNotice, {}), kNoticeWarning);
        }
    }

    f.RetryLostPort();
    f.Keeping_Tick();
    f.TimeShare_Tick();
}

}  // namespace

// A tick may start inside another: the Qt view lets the timer fire while a box that a tick
// opened is up (the port failing to open at start-up), so that the computer time and the tray
// go on. Such a nested tick only shows the state. The timed steps stay with the tick already
// running them: each runs once and in order, none starts inside another (a second port
// opening, the clock set or a measurement ended in the middle of a port opening's box), and
// the counters age once per second, not once per tick.
void Form1::Timer1_Timer() {
    // Events pumped below may end the program; nothing of the tick runs after that.
    if (ProgramEnded) {
        return;
    }
    if (TickInProgress || !timedStepsDue(*this)) {
        showStatus(*this);
        return;
    }
    TickInProgress = true;
    struct Done {
        bool& inProgress;
        ~Done() { inProgress = false; }
    } done{TickInProgress};
    runTimedSteps(*this);
}

}  // namespace quorvane
