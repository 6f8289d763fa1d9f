#include "platform/qt/menu_binder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace quorvane {

MenuBinder::MenuBinder(MenuItem& bar, QMenuBar* menuBar, std::function<bool()> mayRun,
                       QObject* parent)
    : QObject(parent), mayRun_(std::move(mayRun)) {
    Entry& root = entries_[&bar];
    root.item = &bar;
    root.container = menuBar;
    syncChildren(root);
}

bool MenuBinder::sync(const Control& control) {
    const auto it = entries_.find(&control);
    if (it == entries_.end()) {
        return false;
    }
    apply(it->second);
    return true;
}

QMenu* MenuBinder::menuFor(const MenuItem& item) const {
    const auto it = entries_.find(&item);
    return it == entries_.end() ? nullptr : it->second.menu;
}

QAction* MenuBinder::actionFor(const MenuItem& item) const {
    const auto it = entries_.find(&item);
    return it == entries_.end() ? nullptr : it->second.action;
}

void MenuBinder::add(MenuItem& item, QWidget* parentContainer) {
    Entry& entry = entries_[&item];
    entry.item = &item;
    if (item.isSeparator()) {
        entry.action = new QAction(this);
        entry.action->setSeparator(true);
    } else if (item.items().empty()) {
        entry.action = new QAction(this);
        QAction* action = entry.action;
        connect(action, &QAction::triggered, this, [this, action] { triggered(action); });
    } else {
        entry.menu = new QMenu(parentContainer);
        entry.menu->setToolTipsVisible(true);
        entry.action = entry.menu->menuAction();
        entry.container = entry.menu;
    }
    itemOfAction_[entry.action] = &item;
    apply(entry);
}

void MenuBinder::drop(const MenuItem* item) {
    const auto it = entries_.find(item);
    if (it == entries_.end()) {
        return;
    }
    Entry entry = it->second;
    for (const MenuItem* child : entry.children) {
        drop(child);
    }
    itemOfAction_.erase(entry.action);
    entries_.erase(it);
    // Later, not now: the action may be the one whose click is being handled.
    if (entry.menu != nullptr) {
        entry.menu->deleteLater();
    } else {
        entry.action->deleteLater();
    }
}

void MenuBinder::apply(Entry& entry) {
    const MenuItem& item = *entry.item;
    if (entry.action != nullptr) {
        QAction& action = *entry.action;
        action.setText(QString::fromStdString(item.caption()));
        action.setToolTip(QString::fromStdString(item.toolTip()));
        action.setVisible(item.visible());
        action.setEnabled(item.enabled());
        if (entry.menu == nullptr) {
            // Checkable only while checked, so an unchecked item shows no empty box.
            action.setCheckable(item.checked());
            action.setChecked(item.checked());
        }
    }
    if (entry.container != nullptr && entry.children != item.items()) {
        syncChildren(entry);
    }
}

void MenuBinder::syncChildren(Entry& entry) {
    const std::vector<MenuItem*> wanted = entry.item->items();
    for (const MenuItem* old : entry.children) {
        if (std::find(wanted.begin(), wanted.end(), old) == wanted.end()) {
            entry.container->removeAction(actionFor(*old));
            drop(old);
        }
    }
    for (MenuItem* child : wanted) {
        if (entries_.find(child) == entries_.end()) {
            add(*child, entry.container);
        }
    }
    // Re-added in the model's order: addAction leaves an action already present where it is.
    for (MenuItem* child : wanted) {
        entry.container->removeAction(actionFor(*child));
    }
    for (MenuItem* child : wanted) {
        entry.container->addAction(actionFor(*child));
    }
    entry.children = wanted;
}

void MenuBinder::triggered(QAction* action) {
    const auto it = itemOfAction_.find(action);
    if (it == itemOfAction_.end() || !mayRun_()) {
        return;
    }
    MenuItem* item = it->second;
    item->click();
    // Qt flipped a checkable action's mark on its own; the model has the last word. The click
    // may have rebuilt the menu, so look the item up again.
    const auto again = itemOfAction_.find(action);
    if (again != itemOfAction_.end()) {
        sync(*again->second);
    }
}

}  // namespace quorvane
