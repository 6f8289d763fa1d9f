// The real desktop services when things go wrong: no icon files beside the program, and the
// program told to exit while one of its message boxes is up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_tray_icon.h"

namespace quorvane {
namespace {

using testing::FakesButSerial;
using testing::FakeSerialPort;

// The colour in the middle of an icon, where the fallback lamp is painted.
QColor centreOf(const QIcon& icon) {
    return QColor(icon.pixmap(48, 48).toImage().pixel(24, 24));
}

// Counts the ends of the program; the end itself is the real one.
class CountingDesktop : public QtDesktop {
public:
    void endProgram() override {
        ++ends;
        QtDesktop::endProgram();
    }
    int ends = 0;
};

// The window on the real desktop, tray icon and view; serial port, clock and files faked.
struct QtWindow : FakesButSerial {
    QtWindow() {
        files.folder = folder.path().toStdString();
        // A settings file, or start-up's box about its absence would wait for an answer.
        files.files[joinPath(files.folder, "Quorvane.XML")] = "<STARTUP_DELAY>True</STARTUP_DELAY>";
    }

    QTemporaryDir folder;  // the program's folder, with no icon in it
    CountingDesktop qtDesktop;
    std::function<QIcon(Picture)> iconOf = [this](Picture p) { return qtDesktop.icon(p); };
    QtTrayIcon qtTray{iconOf};
    FakeSerialPort serial;
    Form1 form{FormPlatform{serial, qtTray, balloon, clock, random, files, qtDesktop, log}};
    MainWindowView view{form, iconOf};

    void tick() {
        clock.advance(std::chrono::seconds(1));
        form.Timer1_Timer();
    }
};

TEST(QtFaults, WithoutIconFilesTheWindowAndTrayStillShowTheStateColour) {
    QtWindow w;
    w.form.Form_Load();
    EXPECT_EQ(centreOf(w.view.windowIcon()), pictureColour(PictureColour::Yellow));
    w.tick();
    w.tick();  // the tray icon is added with the window's picture
    EXPECT_EQ(centreOf(w.qtTray.systemTrayIcon().icon()), pictureColour(PictureColour::Yellow));

    for (int i = 0; i < 5; ++i) {
        w.serial.deliver("$GPRMC,101530.00,A,4807.0380,N,01131.0000,E,0.0,0.0,071230,,,A*5D\r\n");
        w.serial.deliver(
            "$GPGGA,101530.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*62\r\n");
    }
    w.tick();
    ASSERT_EQ(w.form.TimeValid.fillColor(), LampGreen);
    EXPECT_EQ(centreOf(w.view.windowIcon()), pictureColour(PictureColour::Green));
    EXPECT_EQ(centreOf(w.qtTray.systemTrayIcon().icon()), pictureColour(PictureColour::Green));

    for (int i = 0; i < 8; ++i) {
        w.tick();
    }
    ASSERT_EQ(w.form.TimeValid.fillColor(), LampRed);
    EXPECT_EQ(centreOf(w.view.windowIcon()), pictureColour(PictureColour::Red));
    EXPECT_EQ(centreOf(w.qtTray.systemTrayIcon().icon()), pictureColour(PictureColour::Red));
}

// The port fails to open and its message box is up; the user picks Exit from the tray menu,
// which stays usable beside a modal box. The box goes, the program ends once and the event
// loop returns, as main's would.
TEST(QtFaults, ExitWhileAMessageBoxIsUpEndsTheProgramOnce) {
    QtWindow w;
    w.serial.failOn = "setPortOpen";
    w.form.Form_Load();
    w.form.GpsPortName = "Com1";
    w.view.show();
    w.view.startHeartbeat();
    QApplication::setQuitOnLastWindowClosed(false);

    bool boxSeen = false, hung = false;
    QTimer::singleShot(0, [&] { w.form.StartGPSPort(); });
    QTimer exitFromTray;
    QObject::connect(&exitFromTray, &QTimer::timeout, [&] {
        if (!boxSeen && qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxSeen = true;
            w.form.mexit.click();
        }
    });
    exitFromTray.start(20);
    QTimer::singleShot(10000, [&] {
        hung = true;
        QCoreApplication::exit(1);
    });
    const int status = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(true);

    EXPECT_TRUE(boxSeen);
    EXPECT_FALSE(hung);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(w.qtDesktop.ends, 1);
    EXPECT_TRUE(w.form.ProgramEnded);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(w.view.isVisible());
    EXPECT_FALSE(w.view.heartbeat().isActive());
    EXPECT_EQ(w.serial.opens, 0);
}

}  // namespace
}  // namespace quorvane
