#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/tray.h"

namespace quorvane {

// Lamp colours as the platform stores them, red in the low byte. A lamp's colour is its state.
inline constexpr std::int32_t LampGreen = 65280;
inline constexpr std::int32_t LampRed = 255;

class Control;

// Told of every change of a control; the Qt view is the one observer and updates one widget.
class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void controlChanged(const Control& control) = 0;
};

// A control of the window: a name, a handle, and one observer told of each change.
class Control {
public:
    explicit Control(std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    // Unique per control for the program's life; balloons are anchored by it.
    WindowHandle hWnd() const { return handle_; }
    void setObserver(ControlObserver* observer) { observer_ = observer; }

protected:
    void changed() const;
    // Assigns and notifies only when the value really changes.
    template <typename T>
    void assign(T& field, const T& value) {
        if (!(field == value)) {
            field = value;
            changed();
        }
    }

private:
    std::string name_;
    WindowHandle handle_;
    ControlObserver* observer_ = nullptr;
};

// A text box showing one line: the fix and computer time, position and altitude.
class TextDisplay : public Control {
public:
    TextDisplay(std::string name, std::string text);
    const std::string& text() const { return text_; }
    void setText(const std::string& text) { assign(text_, text); }

private:
    std::string text_;
};

class Label : public Control {
public:
    Label(std::string name, std::string caption, std::string toolTip = {});
    const std::string& caption() const { return caption_; }
    const std::string& toolTip() const { return toolTip_; }
    void setCaption(const std::string& caption) { assign(caption_, caption); }
    void setToolTip(const std::string& toolTip) { assign(toolTip_, toolTip); }

private:
    std::string caption_;
    std::string toolTip_;
};

// A filled shape whose colour is its state.
class Lamp : public Control {
public:
    Lamp(std::string name, std::int32_t colour);
    std::int32_t fillColor() const { return colour_; }
    void setFillColor(std::int32_t colour) { assign(colour_, colour); }

private:
    std::int32_t colour_;
};

class PushButton : public Control {
public:
    PushButton(std::string name, std::string caption, std::string toolTip);
    const std::string& caption() const { return caption_; }
    const std::string& toolTip() const { return toolTip_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { assign(enabled_, enabled); }

private:
    std::string caption_;
    std::string toolTip_;
    bool enabled_ = true;
};

// Marks a menu item that is only a dividing line between groups of items.
struct SeparatorLine {};

// A menu, or an item of one. Sub-items are held in order; the owner of the items is the window.
class MenuItem : public Control {
public:
    MenuItem(std::string name, std::string caption, bool checked = false);
    MenuItem(std::string name, SeparatorLine);
    bool isSeparator() const { return separator_; }
    const std::string& caption() const { return caption_; }
    bool checked() const { return checked_; }
    bool visible() const { return visible_; }
    // A disabled item is shown greyed and cannot be clicked.
    bool enabled() const { return enabled_; }
    const std::string& toolTip() const { return toolTip_; }
    void setCaption(const std::string& caption) { assign(caption_, caption); }
    void setChecked(bool checked) { assign(checked_, checked); }
    void setVisible(bool visible) { assign(visible_, visible); }
    void setEnabled(bool enabled) { assign(enabled_, enabled); }
    void setToolTip(const std::string& toolTip) { assign(toolTip_, toolTip); }

    // Sub-items in menu order. A change of the list notifies this item's observer.
    const std::vector<MenuItem*>& items() const { return items_; }
    void appendItem(MenuItem& item);
    void removeItem(const MenuItem& item);

    // What a click runs; set by the window when it is built.
    std::function<void()> onClick;
    void click() const {
        if (onClick && enabled_) {
            onClick();
        }
    }

private:
    std::string caption_;
    bool checked_;
    bool separator_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    std::string toolTip_;
    std::vector<MenuItem*> items_;
};

// A run-time extendable array of menu items under one menu, indexed from 0 with no gaps.
class MenuItemArray {
public:
    MenuItemArray(std::string name, MenuItem& parent);

    std::size_t count() const { return items_.size(); }
    MenuItem& operator[](std::size_t index) { return *items_.at(index); }
    const MenuItem& operator[](std::size_t index) const { return *items_.at(index); }

    // Adds an item at the end, unchecked and visible; a click runs onClick with its index.
    MenuItem& load(const std::string& caption);
    // Removes the last item.
    void unloadLast();
    void setObserver(ControlObserver* observer);

    std::function<void(std::int16_t index)> onClick;

private:
    std::string name_;
    MenuItem& parent_;
    ControlObserver* observer_ = nullptr;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

class Timer : public Control {
public:
    Timer(std::string name, int intervalMs);
    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { assign(enabled_, enabled); }

private:
    int interval_;
    bool enabled_ = true;
};

enum class WindowState { Normal, Minimized };

// The window itself: caption, icon, state and visibility.
class WindowControl : public Control {
public:
    WindowControl(std::string name, std::string caption);
    const std::string& caption() const { return caption_; }
    Picture icon() const { return icon_; }
    WindowState state() const { return state_; }
    bool visible() const { return visible_; }
    void setIcon(Picture icon) { assign(icon_, icon); }
    void setState(WindowState state) { assign(state_, state); }
    void setVisible(bool visible) { assign(visible_, visible); }
    // Brings the window up even when it is already marked visible.
    void show();
    // How many times show() was asked for; the view raises the window on each.
    int showRequests() const { return showRequests_; }

private:
    std::string caption_;
    Picture icon_ = 0;
    WindowState state_ = WindowState::Normal;
    bool visible_ = true;
    int showRequests_ = 0;
};

}  // namespace quorvane
