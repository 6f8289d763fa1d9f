// The balloon over real Qt widgets, with lines too long for any screen.

#include <gtest/gtest.h>

#include <QScreen>

#include "fakes/fakes.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_balloon.h"

namespace quorvane {
namespace {

// The window shown, with a balloon anchored to its displays.
struct ShownWindow {
    ShownWindow() {
        balloon.setAnchors([this](WindowHandle handle) { return view.widgetFor(handle); });
        f.load();
        view.show();
    }
    testing::FormFixture f;
    MainWindowView view{f.form, [](Picture) { return QIcon(); }};
    QtBalloon balloon;
};

TEST(QtBalloonFit, LinesLongerThanTheScreenAreCutAndTheBalloonStaysOnIt) {
    ShownWindow w;
    QtBalloon& balloon = w.balloon;
    const QRect screen = w.view.widgetFor(w.f.form.TimeGPS.hWnd())->screen()->availableGeometry();

    // A 4096-byte piece of garbage between two short lines.
    const std::string garbage(4096, 'W');
    balloon.show(w.f.form.TimeGPS.hWnd(), "$GPRMC,1\r\n" + garbage + "\r\n$GPGGA,2\r\n",
                 "NMEA-0183", 0, 200);
    ASSERT_TRUE(balloon.popup().isVisible());
    EXPECT_TRUE(screen.contains(balloon.popup().geometry())) << screen.width();
    const QStringList lines = balloon.text().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "$GPRMC,1");
    // An ellipsis, or three dots where the font has none.
    EXPECT_TRUE(lines[1].startsWith("WWW") &&
                (lines[1].endsWith(QChar(0x2026)) || lines[1].endsWith("...")))
        << lines[1].size();
    EXPECT_LT(lines[1].size(), 4096);
    EXPECT_EQ(lines[2], "$GPGGA,2");
}

}  // namespace
}  // namespace quorvane
