#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/desktop.h"

namespace quorvane {

class MenuItem;
using WindowHandle = std::int32_t;

// The notification-area icon with its pop-up menu.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    virtual void add(Picture icon, const std::string& toolTip) = 0;
    virtual void setIcon(Picture icon) = 0;
    // Harmless before add: the text is kept for when the icon appears.
    virtual void setToolTip(const std::string& text) = 0;
    virtual bool inTray() = 0;
    virtual void remove() = 0;
    // Pops the menu up at the icon; a chosen item runs that item's click handler.
    virtual void popupMenu(MenuItem& menu, WindowHandle owner) = 0;
    // A notification from the icon that asks nothing of the user and blocks nothing; a newer
    // message replaces the one still shown.
    virtual void showMessage(const std::string& title, const std::string& text) = 0;

    // The user asks for the tray menu (context request or click on the icon).
    std::function<void()> menuRequest;
};

// Balloon tips at a control.
class Balloon {
public:
    virtual ~Balloon() = default;

    virtual void setMode(std::int32_t mode) = 0;
    // iconStyle: 0 fix valid, 2 data without a valid fix, 3 no data.
    virtual void show(WindowHandle at, const std::string& text, const std::string& title,
                      std::int32_t iconStyle, std::int32_t timeout) = 0;
    virtual void hide() = 0;
};

}  // namespace quorvane
