#include "platform/qt/qt_tray_icon.h"

#include <QCursor>
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

void QtTrayIcon::showMessage(const std::string& title, const std::string& text) {
    if (inTray() && QSystemTrayIcon::supportsMessages()) {
        // With the tray's own picture: the stock information icon comes from the desktop's icon
        // theme, whose cache file Qt then keeps open for the rest of the run.
        icon_.showMessage(QString::fromStdString(title), QString::fromStdString(text),
                          icon_.icon());
    }
}

}  // namespace quorvane
