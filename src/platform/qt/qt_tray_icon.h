#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "platform/qt/tray_message_popup.h"

#include "platform/tray.h"

class QMenu;

namespace quorvane {

// The notification-area icon over QSystemTrayIcon.
class QtTrayIcon : public QObject, public TrayIcon {
    Q_OBJECT
public:
    // iconOf turns picture handles into icons; menuOf finds the QMenu shown for a model menu.
    QtTrayIcon(std::function<QIcon(Picture)> iconOf, QObject* parent = nullptr);

    void setMenuSource(std::function<QMenu*(const MenuItem&)> menuOf);

    void add(Picture icon, const std::string& toolTip) override;
    void setIcon(Picture icon) override;
    void setToolTip(const std::string& text) override;
    // Only while a notification area shows it: hiding the window to a tray that does not exist
    // would leave the user with no way back to it.
    bool inTray() override;
    void remove() override;
    void popupMenu(MenuItem& menu, WindowHandle owner) override;
    void showMessage(const std::string& title, const std::string& text) override;

    QString toolTip() const { return icon_.toolTip(); }
    QSystemTrayIcon& systemTrayIcon() { return icon_; }
    // The program's own pop-up, once a message has needed it.
    const TrayMessagePopup* messagePopup() const { return popup_.get(); }

private:
    bool qtBuildsAPopupPerMessage() const;

    std::function<QIcon(Picture)> iconOf_;
    std::function<QMenu*(const MenuItem&)> menuOf_;
    QSystemTrayIcon icon_;
    std::unique_ptr<TrayMessagePopup> popup_;
    bool added_ = false;
};

}  // namespace quorvane
