// The desktop services, the tray icon and the balloon over real Qt widgets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_balloon.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_tray_icon.h"
#include "platform/qt/tray_message_popup.h"

namespace quorvane {
namespace {

QRgb pixelOf(const QIcon& icon, int x, int y) {
    return icon.pixmap(48, 48).toImage().pixel(x, y);
}

TEST(QtDesktopTest, MissingOrUnreadableIconsFallBackToTheirColour) {
    QTemporaryDir dir;
    const QString garbage = dir.filePath("GPS_RED.ico");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an icon at all");
    file.close();
    const std::string real =
        (std::filesystem::path(QUORVANE_TEST_DATA).parent_path().parent_path() / "icons" /
         "GPS_GREEN.ico")
            .string();

    QtDesktop desktop;
    const Picture missing =
        desktop.loadPicture(dir.filePath("GPS_GREEN.ico").toStdString(), PictureColour::Green);
    const Picture broken = desktop.loadPicture(garbage.toStdString(), PictureColour::Red);
    const Picture drawn = desktop.loadPicture(real, PictureColour::Yellow);

    EXPECT_EQ(QColor(pixelOf(desktop.icon(missing), 24, 24)), pictureColour(PictureColour::Green));
    EXPECT_EQ(QColor(pixelOf(desktop.icon(broken), 24, 24)), pictureColour(PictureColour::Red));
    // The real picture is read, not replaced: its post stands where the lamp has no paint.
    EXPECT_GT(qAlpha(pixelOf(desktop.icon(drawn), 24, 44)), 0);
    EXPECT_EQ(qAlpha(pixelOf(desktop.icon(missing), 24, 44)), 0);
    EXPECT_TRUE(desktop.icon(drawn).availableSizes().contains(QSize(16, 16)));

    // One handle per file however often it is loaded; distinct files, distinct handles.
    EXPECT_EQ(desktop.loadPicture(real, PictureColour::Yellow), drawn);
    EXPECT_NE(missing, broken);
    EXPECT_TRUE(desktop.icon(0).isNull());

    // An unchanged file is not read again (a new read is a new picture, and Qt caches the drawn
    // sizes of each); a file that changed is.
    const qint64 before = desktop.icon(drawn).cacheKey();
    desktop.loadPicture(real, PictureColour::Yellow);
    EXPECT_EQ(desktop.icon(drawn).cacheKey(), before);
    ASSERT_TRUE(QFile::remove(garbage));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(real), garbage));
    EXPECT_EQ(desktop.loadPicture(garbage.toStdString(), PictureColour::Red), broken);
    EXPECT_GT(qAlpha(pixelOf(desktop.icon(broken), 24, 44)), 0);
}

TEST(QtDesktopTest, MessageBoxHasTheTitleTheLinesAndOneOk) {
    QtDesktop desktop;
    QString title, text;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    desktop.messageBox("File not Found\r\nParameter File Name = /p/Quorvane.XML", "Quorvane");
    EXPECT_EQ(title, "Quorvane");
    EXPECT_EQ(text, "File not Found\nParameter File Name = /p/Quorvane.XML");
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(QtTrayIconTest, ToolTipBeforeAddAndMenuRequests) {
    QMenu menu;
    menu.addAction("Show");
    QtTrayIcon tray([](Picture) { return fallbackIcon(PictureColour::Green); });
    tray.setMenuSource([&menu](const MenuItem&) { return &menu; });
    int requests = 0;
    tray.menuRequest = [&] { ++requests; };

    tray.setToolTip("Quorvane > NOT VALID");
    EXPECT_FALSE(tray.inTray());
    EXPECT_EQ(tray.toolTip(), "Quorvane > NOT VALID");

    tray.add(1, "Quorvane");
    EXPECT_EQ(tray.toolTip(), "Quorvane");
    // Offscreen there is no notification area: the icon must not claim to be in one, or
    // hiding the window would strand it.
    EXPECT_FALSE(tray.inTray());

    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Context);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(requests, 2);

    MenuItem item("menu1", "");
    tray.popupMenu(item, 0);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    tray.remove();
    EXPECT_FALSE(tray.inTray());
}

TEST(QtBalloonTest, ShowsTitleAndLinesUnderTheControlAndHides) {
    testing::FormFixture f;
    MainWindowView view(f.form, [](Picture) { return QIcon(); });
    QtBalloon balloon;
    balloon.setAnchors([&view](WindowHandle handle) { return view.widgetFor(handle); });
    f.load();

    // Not while the window is hidden.
    balloon.show(f.form.TimeGPS.hWnd(), "x\r\n", "NO GPS Rx", 3, 200);
    EXPECT_FALSE(balloon.popup().isVisible());

    view.show();
    const QWidget& fixTime = *view.widgetFor(f.form.TimeGPS.hWnd());
    balloon.show(f.form.TimeGPS.hWnd(), "$GPRMC,1\r\n$GPGGA,2\r\n", "NMEA-0183", 0, 200);
    ASSERT_TRUE(balloon.popup().isVisible());
    EXPECT_EQ(balloon.anchor(), &fixTime);
    EXPECT_EQ(balloon.title(), "NMEA-0183");
    EXPECT_EQ(balloon.text(), "$GPRMC,1\n$GPGGA,2");
    const QRect anchor(fixTime.mapToGlobal(QPoint(0, 0)), fixTime.size());
    const QRect popup = balloon.popup().geometry();
    EXPECT_TRUE(popup.top() >= anchor.bottom() || popup.bottom() <= anchor.top());
    EXPECT_GE(popup.left(), anchor.left());
    EXPECT_LT(popup.left(), anchor.right());

    // Shown again at another display, it moves there.
    const QWidget& altitude = *view.widgetFor(f.form.GPSAltitude.hWnd());
    balloon.show(f.form.GPSAltitude.hWnd(), " ", "NO GPS Rx", 3, 200);
    EXPECT_EQ(balloon.anchor(), &altitude);
    EXPECT_GT(balloon.popup().geometry().top(), popup.top());

    balloon.hide();
    EXPECT_FALSE(balloon.popup().isVisible());
    // Its window going to the tray takes it along.
    balloon.show(f.form.TimeGPS.hWnd(), "", "GARMIN", 2, 200);
    view.hide();
    EXPECT_FALSE(balloon.popup().isVisible());
    // A handle that shows no widget shows nothing.
    view.show();
    balloon.show(f.form.Timer1.hWnd(), "", "x", 0, 200);
    EXPECT_FALSE(balloon.popup().isVisible());
}

// One pop-up for every tray message, beside the icon and on the screen, gone when clicked.
TEST(TrayMessagePopupTest, ShowsEachMessageBesideTheIconInTheSameWindow) {
    TrayMessagePopup popup;
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        QRect icon;
        bool below;  // the tray at the top of the screen
    };
    for (const Case& c :
         {Case{QRect(room.right() - 22, room.top(), 22, 22), true},
          Case{QRect(room.right() - 22, room.bottom() - 22, 22, 22), false}, Case{QRect(), true}}) {
        popup.showMessage("Quorvane",
                          "Receiver lost on Com3. It is opened again as soon as it is back.",
                          QIcon(), c.icon);
        ASSERT_TRUE(popup.isVisible());
        EXPECT_EQ(popup.text(), "Receiver lost on Com3. It is opened again as soon as it is back.");
        EXPECT_TRUE(room.contains(popup.geometry())) << popup.geometry().y();
        if (!c.icon.isEmpty()) {
            EXPECT_EQ(popup.geometry().top() > c.icon.bottom(), c.below);
            EXPECT_EQ(popup.geometry().bottom() < c.icon.top(), !c.below);
        }
    }
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), popup.mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&popup, &click);
    EXPECT_FALSE(popup.isVisible());
}

}  // namespace
}  // namespace quorvane
