// The real heartbeat goes on while a box that a tick opened waits for its answer.

#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_desktop.h"

namespace quorvane {
namespace {

using testing::FakesButSerial;
using testing::FakeSerialPort;

TEST(QtHeartbeat, KeepsTickingWhileTheStartUpPortErrorBoxIsUp) {
    FakesButSerial fakes;
    QTemporaryDir folder;
    fakes.files.folder = folder.path().toStdString();
    fakes.files.files[joinPath(fakes.files.folder, "Quorvane.XML")] =
        "<STARTUP_DELAY>True</STARTUP_DELAY>";
    QtDesktop desktop;
    FakeSerialPort serial;
    Form1 form{FormPlatform{serial, fakes.tray, fakes.balloon, fakes.clock, fakes.random,
                            fakes.files, desktop, fakes.log}};
    MainWindowView view{form, [&desktop](Picture p) { return desktop.icon(p); }};
    form.Form_Load();
    // The first tick opens the port, which fails and says so in a box.
    form.GpsPortName = "Com1";
    form.StartupDelayCount = 3;
    serial.failOn = "setPortOpen";
    view.show();
    view.startHeartbeat();

    // A receiver goes on talking and the computer's time runs, box or no box.
    QTimer world;
    QObject::connect(&world, &QTimer::timeout, [&] {
        fakes.clock.advance(std::chrono::milliseconds(100));
        serial.deliver("$GPRMC,101530.00,A,4807.0380,N,01131.0000,E,0.0,0.0,071230,,,A*5D\r\n");
    });
    world.start(100);

    QEventLoop loop;
    QMessageBox* box = nullptr;
    std::string boxText;
    std::size_t tipsAtBox = 0;
    std::string timeAtBox;
    bool tickedDuringBox = false, hung = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (box == nullptr) {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                boxText = box->text().toStdString();
                tipsAtBox = fakes.tray.toolTips.size();
                timeAtBox = form.TimeComputer.text();
                // Long enough for two ticks and more; then the user answers.
                QTimer::singleShot(2600, [&] {
                    // Every tick writes the tray tooltip once.
                    tickedDuringBox = fakes.tray.toolTips.size() >= tipsAtBox + 2 &&
                                      form.TimeComputer.text() != timeAtBox &&
                                      form.GPS_CommOK.fillColor() == LampGreen;
                    box->accept();
                });
            }
        } else if (QApplication::activeModalWidget() == nullptr && fakes.tray.adds == 1) {
            loop.quit();  // the tick that opened the box went on to add the tray icon
        }
    });
    watch.start(50);
    QTimer::singleShot(15000, [&] {
        hung = true;
        loop.quit();
    });
    loop.exec();
    world.stop();
    view.hide();

    ASSERT_NE(box, nullptr);
    EXPECT_NE(boxText.find("GPS PORT ERROR : "), std::string::npos) << boxText;
    EXPECT_TRUE(tickedDuringBox) << "tooltips " << tipsAtBox << " -> "
                                 << fakes.tray.toolTips.size() << ", time " << timeAtBox << " -> "
                                 << form.TimeComputer.text();
    EXPECT_FALSE(hung);
    EXPECT_EQ(std::count(serial.calls.begin(), serial.calls.end(), "setPortOpen 1"), 1)
        << "a nested tick opened the port again";
    EXPECT_FALSE(form.TickInProgress);
}

}  // namespace
}  // namespace quorvane
