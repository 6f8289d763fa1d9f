#include "app/counters.h"
#include "app/form1.h"
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

}  // namespace

void Form1::Timer1_Timer() {
    // Events pumped below may end the program; nothing of the tick runs after that.
    if (ProgramEnded) {
        return;
    }
    TimeComputer.setText(formatDisplayDateTime(clock_.localNow()));

    ageReception(*this);
    ageFix(*this);
    ReceiverDelay_Tick();

    // The window icon, which the tray shows too, follows the fix lamp.
    if (TimeValid.fillColor() == LampGreen) {
        if (!TrayIconGreen) {
            TrayIconGreen = true;
            showPicture(*this, "GPS_GREEN.ico", PictureColour::Green);
            if (ProgramEnded) {
                return;
            }
        }
        TrayIcon1.setToolTip(std::string(kProgramTitle) + " > " + TimeGPS.text());
    }
    if (TimeValid.fillColor() == LampRed) {
        if (TrayIconGreen) {
            TrayIconGreen = false;
            showPicture(*this, "GPS_RED.ico", PictureColour::Red);
            if (ProgramEnded) {
                return;
            }
        }
        TrayIcon1.setToolTip(std::string(kProgramTitle) + " > NOT VALID");
    }

    if (GPS_CommOK.fillColor() == LampGreen && TimeValid.fillColor() == LampGreen &&
        SyncAfterStartupPending) {
        SyncAfterStartupPending = false;
        SetComputerClock_Click();
        if (ProgramEnded) {
            return;
        }
    }

    // Only the first tick inside the scheduled minute sets the clock.
    const DateTime local = clock_.localNow();
    const auto hhmm = static_cast<std::int16_t>(local.hour * 100 + local.minute);
    if (hhmm != LastTickHhmm) {
        LastTickHhmm = hhmm;
        if (hhmm == NextUpdateHhmm) {
            SetComputerClock_Click();
            if (ProgramEnded) {
                return;
            }
        }
    }

    if (countDown(StartupDelayCount, 2) && GpsPortName != kNoneReset) {
        SaveAndStartGPSPort();
        if (ProgramEnded) {
            return;
        }
    }

    if (countDown(TrayDelayCount, 1)) {
        TrayIcon1.add(window.icon(), kProgramTitle);
        desktop_.pumpEvents();
        if (!ProgramEnded && StartInTaskTray.checked()) {
            mhide_Click();
            desktop_.pumpEvents();
        }
    }
}

}  // namespace quorvane
