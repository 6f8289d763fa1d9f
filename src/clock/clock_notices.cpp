#include "clock/clock_notices.h"

namespace quorvane {

void notifyUser(Form1& form, const std::string& text, std::int32_t style) {
    if (form.TrayIcon1.inTray()) {
        form.TrayIcon1.showMessage(kProgramTitle, text);
        return;
    }
    form.Balloon1.setMode(0);
    form.Balloon1.show(form.SetComputerClock.hWnd(), text, kProgramTitle, style, 200);
}

}  // namespace quorvane
