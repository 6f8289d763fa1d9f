// Wiring only: the platform objects, the window model and its view.
#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>

#include "app/form1.h"
#include "platform/file_event_log.h"
#include "platform/os_platform.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_balloon.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_tray_icon.h"
#include "platform/std_random.h"
#ifdef _WIN32
#include "platform/win32/win32_serial_port.h"
#else
#include "platform/posix/exit_signals.h"
#include "platform/posix/secure_start.h"
#include "platform/posix/shm_time_share.h"
#include "platform/qt/qt_serial_port.h"
#endif

int main(int argc, char** argv) {
    using namespace quorvane;

#ifndef _WIN32
    // Before Qt reads a variable or its command line, or starts a thread.
    SecureStart secure = secureStart(argc, argv);
    QApplication app(secure.argc, secure.argv.data());
#else
    QApplication app(argc, argv);
#endif
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The program ends through its own shutdown sequence only, never because a message box was
    // closed while the window sat in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
#ifndef _WIN32
    // Before anything can trim the clock's rate: from here on a signal ends the program through
    // its exit sequence.
    const int exitSignals = watchExitSignals();
#endif

    OsTextFiles files;
    OsClock clock;
    StdRandomSource random;
    QtDesktop desktop;
    const auto iconOf = [&desktop](Picture picture) { return desktop.icon(picture); };
#ifdef _WIN32
    // Received lines come from the reader thread as queued calls on the window's thread.
    Win32SerialPort serial([](std::function<void()> call) {
        QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
    });
#else
    QtSerialPort serial(joinPath(files.programFolder(), "ports"));
#endif
    QtTrayIcon tray(iconOf);
    // A log that can be neither read nor set aside is told where a user in the tray sees it.
    FileEventLog log(files, joinPath(files.programFolder(), "Quorvane.log"),
                     [&tray](const std::string& text) {
                         std::fprintf(stderr, "%s\n", text.c_str());
                         tray.showMessage(kProgramTitle, text);
                     });
    QtBalloon balloon;

#ifdef _WIN32
    TimeShare* timeShare = nullptr;  // the option is shown disabled, with the reason
#else
    ShmTimeShare shmTimeShare;
    TimeShare* timeShare = &shmTimeShare;
#endif
    Form1 form(FormPlatform{serial, tray, balloon, clock, random, files, desktop, log, timeShare});
#ifndef _WIN32
    form.ClockRightWithdrawn = secure.clockRightWithdrawn;
#endif
    MainWindowView view(form, iconOf);
    tray.setMenuSource([&view](const MenuItem& menu) { return view.menuFor(menu); });
    balloon.setAnchors([&view](WindowHandle handle) { return view.widgetFor(handle); });

#ifndef _WIN32
    QSocketNotifier exitNotifier(exitSignals < 0 ? 0 : exitSignals, QSocketNotifier::Read);
    exitNotifier.setEnabled(exitSignals >= 0);
    QObject::connect(&exitNotifier, &QSocketNotifier::activated, [&] {
        if (const std::string name = takeExitSignal(exitSignals);
            !name.empty() && !form.ProgramEnded) {
            form.Form_Terminate(name);
        }
    });
#endif
    // However the loop ends (the session manager's quit included), no slewing outlives it.
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [&form] { form.Keeping_StopSteering("the program ends"); });

    form.Form_Load();
    if (desktop.ended()) {
        return 0;
    }
    view.show();
    view.startHeartbeat();
    return QApplication::exec();
}
