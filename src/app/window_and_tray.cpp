#include "app/form1.h"

namespace quorvane {

void Form1::mhide_Click() {
    // Without the tray icon a hidden window could not be brought back.
    if (!TrayIcon1.inTray()) {
        return;
    }
    window.setState(WindowState::Minimized);
    window.setVisible(false);
    TrayIcon1.setToolTip("Brindles Quorvane");
}

void Form1::MenuMinimize_Click() {
    mhide_Click();
}

void Form1::menu2_Click() {
    window.show();
    window.setState(WindowState::Normal);
    window.setVisible(true);
    TrayIcon1.setToolTip(kProgramTitle);
}

void Form1::TrayIcon1_MenuRequest() {
    // The tray menu is the menu bar's first pop-up: "Show", "Hide", "Exit".
    MenuItem& first = *MenuBar.items().front();
    TrayIcon1.popupMenu(first, window.hWnd());
}

void Form1::Form_MouseMove(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
    Balloon1.hide();
}

}  // namespace quorvane
