#include "app/controls.h"

#include <algorithm>
#include <atomic>

namespace quorvane {

namespace {

WindowHandle nextHandle() {
    static std::atomic<WindowHandle> next{0x1000};
    return next++;
}

}  // namespace

Control::Control(std::string name) : name_(std::move(name)), handle_(nextHandle()) {}

void Control::changed() const {
    if (observer_ != nullptr) {
        observer_->controlChanged(*this);
    }
}

TextDisplay::TextDisplay(std::string name, std::string text)
    : Control(std::move(name)), text_(std::move(text)) {}

Label::Label(std::string name, std::string caption, std::string toolTip)
    : Control(std::move(name)), caption_(std::move(caption)), toolTip_(std::move(toolTip)) {}

Lamp::Lamp(std::string name, std::int32_t colour) : Control(std::move(name)), colour_(colour) {}

PushButton::PushButton(std::string name, std::string caption, std::string toolTip)
    : Control(std::move(name)), caption_(std::move(caption)), toolTip_(std::move(toolTip)) {}

MenuItem::MenuItem(std::string name, std::string caption, bool checked)
    : Control(std::move(name)), caption_(std::move(caption)), checked_(checked) {}

MenuItem::MenuItem(std::string name, SeparatorLine)
    : Control(std::move(name)), checked_(false), separator_(true) {}

void MenuItem::appendItem(MenuItem& item) {
    items_.push_back(&item);
    changed();
}

void MenuItem::removeItem(const MenuItem& item) {
    const auto it = std::find(items_.begin(), items_.end(), &item);
    if (it != items_.end()) {
        items_.erase(it);
        changed();
    }
}

MenuItemArray::MenuItemArray(std::string name, MenuItem& parent)
    : name_(std::move(name)), parent_(parent) {}

MenuItem& MenuItemArray::load(const std::string& caption) {
    const auto index = static_cast<std::int16_t>(items_.size());
    auto item = std::make_unique<MenuItem>(name_ + "(" + std::to_string(index) + ")", caption);
    item->setObserver(observer_);
    item->onClick = [this, index] {
        if (onClick) {
            onClick(index);
        }
    };
    items_.push_back(std::move(item));
    parent_.appendItem(*items_.back());
    return *items_.back();
}

void MenuItemArray::unloadLast() {
    if (items_.empty()) {
        return;
    }
    parent_.removeItem(*items_.back());
    items_.pop_back();
}

void MenuItemArray::setObserver(ControlObserver* observer) {
    observer_ = observer;
    for (auto& item : items_) {
        item->setObserver(observer);
    }
}

Timer::Timer(std::string name, int intervalMs) : Control(std::move(name)), interval_(intervalMs) {}

WindowControl::WindowControl(std::string name, std::string caption)
    : Control(std::move(name)), caption_(std::move(caption)) {}

void WindowControl::show() {
    ++showRequests_;
    changed();
}

}  // namespace quorvane
