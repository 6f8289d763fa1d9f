#include "clock/clock_notices.h"

#include "clock/clock_messages.h"

namespace quorvane {

void notifyUser(Form1& form, const std::string& text, std::int32_t style) {
    if (form.TrayIcon1.inTray()) {
        form.TrayIcon1.showMessage(kProgramTitle, text);
        return;
    }
    form.Balloon1.setMode(0);
    form.Balloon1.show(form.SetComputerClock.hWnd(), text, kProgramTitle, style, 200);
}

void notifyAndLog(Form1& form, const Notice& notice, std::int32_t style) {
    form.logEvent(oneLine(notice.full));
    notifyUser(form, notice.sentence, style);
}

void refuseClockSetting(Form1& form, ClockSetCause cause, const Notice& why) {
    const Notice logged{why.sentence, clockRefusedLogText(cause, why.full)};
    if (cause == ClockSetCause::Button) {
        form.logEvent(logged.full);
        form.desktop().messageBox(why.full, kProgramTitle);
    } else {
        notifyAndLog(form, logged, kNoticeWarning);
    }
}

std::string trayStatusText(const Form1& form) {
    return std::string(kProgramTitle) +
           (form.TimeValid.fillColor() == LampGreen ? " > " + form.TimeGPS.text() : " > NOT VALID");
}

std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

}  // namespace quorvane
