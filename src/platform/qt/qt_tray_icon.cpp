#include "platform/qt/qt_tray_icon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

namespace quorvane {

QtTrayIcon::QtTrayIcon(std::function<QIcon(Picture)> iconOf, QObject* parent)
    : QObject(parent), iconOf_(std::move(iconOf)) {
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if ((reason == QSystemTrayIcon::Context || reason == QSystemTrayIcon::Trigger) &&
                    menuRequest) {
                    menuRequest();
                }
            });
}

void QtTrayIcon::setMenuSource(std::function<QMenu*(const MenuItem&)> menuOf) {
    menuOf_ = std::move(menuOf);
}

void QtTrayIcon::add(Picture icon, const std::string& toolTip) {
    icon_.setIcon(iconOf_(icon));
    icon_.setToolTip(QString::fromStdString(toolTip));
    icon_.show();
    added_ = true;
}

void QtTrayIcon::setIcon(Picture icon) {
    icon_.setIcon(iconOf_(icon));
}

void QtTrayIcon::setToolTip(const std::string& text) {
    // Kept by QSystemTrayIcon while hidden and shown with the icon.
    icon_.setToolTip(QString::fromStdString(text));
}

bool QtTrayIcon::inTray() {
    return added_ && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::remove() {
    icon_.hide();
    added_ = false;
}

void QtTrayIcon::popupMenu(MenuItem& menu, WindowHandle) {
    QMenu* shown = menuOf_ ? menuOf_(menu) : nullptr;
    if (shown == nullptr) {
        return;
    }
    // The user has just clicked the icon, so the pointer is where the menu belongs.
    shown->popup(QCursor::pos());
}

// Qt hands a message to the desktop's notification service where the icon went to a status
// notifier host (Qt then knows no place for it on the screen), and to the shell on Windows. On
// an X11 tray that docks the icon itself, it builds a pop-up window for every message instead.
bool QtTrayIcon::qtBuildsAPopupPerMessage() const {
    return QGuiApplication::platformName() == QLatin1String("xcb") && !icon_.geometry().isEmpty();
}

void QtTrayIcon::showMessage(const std::string& title, const std::string& text) {
    if (!inTray() || !QSystemTrayIcon::supportsMessages()) {
        return;
    }
    // With the tray's own picture: the stock information icon comes from the desktop's icon
    // theme, whose cache file Qt then keeps open for the rest of the run.
    const QString heading = QString::fromStdString(title), body = QString::fromStdString(text);
    if (qtBuildsAPopupPerMessage()) {
        if (!popup_) {
            popup_ = std::make_unique<TrayMessagePopup>();
        }
        popup_->showMessage(heading, body, icon_.icon(), icon_.geometry());
        return;
    }
    icon_.showMessage(heading, body, icon_.icon());
}

}  // namespace quorvane
