// The main window view against a Form1 wired to fakes: model changes reach their widget, user
// actions reach their handler.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/view_widgets.h"

namespace quorvane {
namespace {

using testing::FormFixture;

struct ViewFixture : ::testing::Test {
    FormFixture f;
    MainWindowView view{f.form, [](Picture) { return fallbackIcon(PictureColour::Yellow); }};

    template <typename W>
    W& widget(const char* name) {
        W* found = view.findChild<W*>(QString::fromLatin1(name));
        if (found == nullptr) {
            throw std::runtime_error(std::string("no widget ") + name);
        }
        return *found;
    }
    QStringList texts(const QList<QAction*>& actions) {
        QStringList list;
        for (const QAction* action : actions) {
            list << action->text();
        }
        return list;
    }
    // A pointer movement as the window system delivers it, propagation included.
    void moveOver(QWidget& target) {
        const QPointF at(3, 3);
        QMouseEvent move(QEvent::MouseMove, at, target.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&target, &move);
    }
};

TEST_F(ViewFixture, ModelChangesReachTheirWidgetOnly) {
    f.load();
    EXPECT_EQ(view.windowTitle(), "  Brindle's Quorvane");
    EXPECT_FALSE(view.isVisible()) << "start-up must not show the window before main does";
    EXPECT_EQ(widget<QLineEdit>("TimeGPS").font().family(), "Arial");
    EXPECT_FALSE(widget<QPushButton>("SetComputerClock").isEnabled());
    EXPECT_EQ(widget<QLabel>("VersionNumber").text(), "Version 1.0.4");

    // Red is the low byte of the model's colour.
    EXPECT_EQ(widget<LampWidget>("TimeValid").colour(), QColor(255, 0, 0));
    f.form.TimeValid.setFillColor(LampGreen);
    EXPECT_EQ(widget<LampWidget>("TimeValid").colour(), QColor(0, 255, 0));
    EXPECT_EQ(widget<LampWidget>("GPS_CommOK").colour(), QColor(255, 0, 0));
    f.form.GPS_CommOK.setFillColor(0x00102030);
    EXPECT_EQ(widget<LampWidget>("GPS_CommOK").colour(), QColor(0x30, 0x20, 0x10));

    f.form.Label2.setToolTip("$GPGGA,123519,4807.038,N");
    EXPECT_EQ(widget<QLabel>("Label2").toolTip(), "$GPGGA,123519,4807.038,N");
    f.form.TimeGPS.setText("6 May 08  1941:29");
    EXPECT_EQ(widget<QLineEdit>("TimeGPS").text(), "6 May 08  1941:29");
    f.form.SetComputerClock.setEnabled(true);
    EXPECT_TRUE(widget<QPushButton>("SetComputerClock").isEnabled());

    f.form.DisplayFeet.setChecked(false);
    f.form.DisplayMeters.setChecked(true);
    EXPECT_FALSE(view.actionFor(f.form.DisplayFeet)->isChecked());
    EXPECT_TRUE(view.actionFor(f.form.DisplayMeters)->isChecked());
    f.form.DisplayBlank.setVisible(false);
    EXPECT_FALSE(view.actionFor(f.form.DisplayBlank)->isVisible());

    EXPECT_EQ(texts(view.menuBar()->actions()),
              QStringList({"", "Altitude", "Startup", "Comm", "", "Hide", "Exit"}));
    EXPECT_EQ(texts(view.menuFor(f.form.menu1)->actions()), QStringList({"Show", "Hide", "Exit"}));
}

TEST_F(ViewFixture, PortMenuFollowsTheModelsList) {
    f.serial.ports = {1, 3, 4};
    f.serial.devices = {{3, "/dev/ttyS2"}};
    f.load();
    QMenu& port = *view.menuFor(f.form.Menu_Port);
    EXPECT_EQ(texts(port.actions()), QStringList({"None/Reset", "Com1", "Com3", "Com4"}));
    EXPECT_EQ(port.actions()[2]->toolTip(), "/dev/ttyS2");

    f.serial.ports = {7};
    f.form.GpsPortName = "Com7";
    f.form.LoadGPS_PortSettings();
    EXPECT_EQ(texts(port.actions()), QStringList({"None/Reset", "Com7"}));
    EXPECT_TRUE(port.actions()[1]->isChecked());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(ViewFixture, TriggeringEachKindOfActionRunsItsHandler) {
    f.serial.ports = {1, 3};
    f.load();

    // A plain item: the option's mark flips and the settings are saved.
    view.actionFor(f.form.StartInTaskTray)->trigger();
    EXPECT_TRUE(f.form.StartInTaskTray.checked());
    EXPECT_TRUE(view.actionFor(f.form.StartInTaskTray)->isChecked());
    EXPECT_EQ(f.files.writes, 1);

    // A line-setting item: its group moves, its caption is stored. Choosing the checked item
    // again keeps its mark although Qt flips a checkable action on its own.
    view.actionFor(f.form.Menu_Baud_9600)->trigger();
    EXPECT_EQ(f.form.GpsPortSpeed, "9600");
    EXPECT_TRUE(view.actionFor(f.form.Menu_Baud_9600)->isChecked());
    EXPECT_FALSE(view.actionFor(f.form.Menu_Baud_4800)->isChecked());
    view.actionFor(f.form.Menu_Baud_9600)->trigger();
    EXPECT_TRUE(view.actionFor(f.form.Menu_Baud_9600)->isChecked());

    // A Port item: the port is chosen and opened.
    QMenu& port = *view.menuFor(f.form.Menu_Port);
    port.actions()[2]->trigger();
    EXPECT_EQ(f.form.GpsPortName, "Com3");
    EXPECT_EQ(f.serial.portNumber, 3);
    EXPECT_TRUE(f.serial.open);
    // "None/Reset" rebuilds the list under the very action being handled.
    port.actions()[0]->trigger();
    EXPECT_EQ(f.form.GpsPortName, "None/Reset");
    EXPECT_TRUE(port.actions()[0]->isChecked());
    EXPECT_FALSE(port.actions()[2]->isChecked());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // After the program has ended nothing more runs.
    f.form.ProgramEnded = true;
    view.actionFor(f.form.StartInTaskTray)->trigger();
    EXPECT_TRUE(f.form.StartInTaskTray.checked());
}

TEST_F(ViewFixture, ButtonAndTimerReachTheirHandlers) {
    f.load();
    f.form.EarliestFixDate = DateTime{2020, 1, 1, 0, 0, 0, 0};
    f.serial.deliver("$GPRMC,101530,A,4807.038,N,01131.000,E,022.4,084.4,071226,003.1,W\r\n",
                     ArrivalStamps{f.clock.mono, f.clock.mono});
    f.form.TimeValid.setFillColor(LampGreen);
    f.form.SetComputerClock.setEnabled(true);
    widget<QPushButton>("SetComputerClock").click();
    EXPECT_EQ(f.clock.setCalls.size(), 1u)
        << "SET TIME must reach SetComputerClock_Click"
        << (f.desktop.messages.empty() ? "" : f.desktop.messages.back().text);

    EXPECT_FALSE(view.heartbeat().isActive());
    view.startHeartbeat();
    EXPECT_TRUE(view.heartbeat().isActive());
    EXPECT_EQ(view.heartbeat().interval(), 1000);
    f.form.Timer1.setEnabled(false);
    EXPECT_FALSE(view.heartbeat().isActive());
}

TEST_F(ViewFixture, PointerMovesRaiseHoverHandlersOnTheFixDisplaysOnly) {
    f.load();
    view.show();
    for (const char* name : {"TimeGPS", "GPSLatitude", "GPSLongitude", "GPSAltitude"}) {
        moveOver(widget<QLineEdit>(name));
    }
    ASSERT_EQ(f.balloon.shows.size(), 4u);
    EXPECT_EQ(f.balloon.shows[0].at, f.form.TimeGPS.hWnd());
    EXPECT_EQ(f.balloon.shows[3].at, f.form.GPSAltitude.hWnd());
    EXPECT_EQ(f.balloon.shows[0].title, "NO GPS Rx");

    moveOver(widget<QLineEdit>("TimeComputer"));
    EXPECT_EQ(f.balloon.shows.size(), 4u);
    EXPECT_EQ(f.balloon.hides, 0) << "the computer time is not the background";

    // A caption label has its own tooltip and is not the background; a lamp is.
    moveOver(widget<QLabel>("Label2"));
    EXPECT_EQ(f.balloon.hides, 0);
    moveOver(*view.centralWidget());
    EXPECT_EQ(f.balloon.hides, 1);
    moveOver(widget<LampWidget>("TimeValid"));
    EXPECT_EQ(f.balloon.hides, 2);
}

TEST_F(ViewFixture, HideShowAndCloseFollowTheWindowModel) {
    f.load();
    view.show();
    f.tray.shown = true;
    f.form.mhide_Click();
    EXPECT_FALSE(view.isVisible());
    f.form.menu2_Click();
    EXPECT_TRUE(view.isVisible());
    EXPECT_FALSE(view.isMinimized());

    // The close button ends the program: the port is closed and the loop told to end, once.
    f.serial.open = true;
    EXPECT_TRUE(view.close());
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(f.serial.open);
    EXPECT_EQ(f.desktop.ends, 1);
    EXPECT_EQ(f.tray.removes, 1);
}

}  // namespace
}  // namespace quorvane
