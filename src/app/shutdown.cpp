#include "app/form1.h"

namespace quorvane {

namespace {

// Every step of the shutdown runs even when an earlier one failed; a failing step is skipped.
template <typename Step>
void tryStep(Step&& step) {
    try {
        step();
    } catch (...) {
        // Nothing can be reported on the way out.
    }
}

void shutdown(Form1& form) {
    if (form.ProgramEnded) {
        return;
    }
    Desktop& desktop = form.desktop();

    // First: whatever follows may fail, and the process may be killed at any moment of it.
    tryStep([&] { form.Keeping_StopSteering("the program ends"); });
    tryStep([&] {
        if (form.MSPort1 != nullptr && form.MSPort1->portOpen()) {
            form.MSPort1->setPortOpen(false);
        }
    });
    tryStep([&] { desktop.pumpEvents(); });
    tryStep([&] { desktop.pumpEvents(); });
    if (form.ProgramEnded) {
        return;  // a pumped event ended the program already
    }
    // Settings are written at every change and files are never held open, so there is
    // nothing to flush or close here.

    if (!form.UnloadingWindows) {
        form.UnloadingWindows = true;
        // Unloading raises the window's close request, which runs this sequence again inside
        // this one and ends the program there.
        tryStep([&] { desktop.unloadAllWindows(); });
        if (form.ProgramEnded) {
            return;
        }
        tryStep([&] { desktop.pumpEvents(); });
        if (form.ProgramEnded) {
            return;
        }
    }

    tryStep([&] {
        if (form.TrayIcon1.inTray()) {
            form.TrayIcon1.remove();
        }
    });
    tryStep([&] { desktop.pumpEvents(); });
    if (form.ProgramEnded) {
        return;
    }
    form.ProgramEnded = true;
    desktop.endProgram();
}

}  // namespace

void Form1::mexit_Click() {
    shutdown(*this);
}

void Form1::MenuExit_Click() {
    shutdown(*this);
}

void Form1::Form_Terminate(const std::string& why) {
    logEvent("The system asked Quorvane to end (" + why + ")");
    shutdown(*this);
}

// The close is never cancelled: closing the window ends the program, it does not hide it.
void Form1::Form_QueryUnload() {
    shutdown(*this);
}

}  // namespace quorvane
