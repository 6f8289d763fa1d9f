#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "app/controls.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quorvane {

// Mirrors a tree of model menu items in a QMenuBar: a QMenu per item that holds items, a QAction
// per leaf. The model's captions, check marks, visibility and tooltips are copied across on each
// change, and a menu whose list of items changes is rebuilt. Triggering an action runs the
// item's click handler.
class MenuBinder : public QObject {
    Q_OBJECT
public:
    // mayRun is asked before each click is passed on; after the program ends it says no.
    MenuBinder(MenuItem& bar, QMenuBar* menuBar, std::function<bool()> mayRun,
               QObject* parent = nullptr);

    // Brings one item in line with the model. False if the control is not one of ours.
    bool sync(const Control& control);

    QMenu* menuFor(const MenuItem& item) const;
    QAction* actionFor(const MenuItem& item) const;

private:
    struct Entry {
        MenuItem* item = nullptr;
        QAction* action = nullptr;     // the leaf's action, or the menu's own action
        QMenu* menu = nullptr;         // for an item that holds items
        QWidget* container = nullptr;  // where the children's actions are shown
        std::vector<MenuItem*> children;
    };

    void add(MenuItem& item, QWidget* parentContainer);
    void drop(const MenuItem* item);
    void apply(Entry& entry);
    void syncChildren(Entry& entry);
    void triggered(QAction* action);

    std::map<const Control*, Entry> entries_;
    std::map<const QAction*, MenuItem*> itemOfAction_;
    std::function<bool()> mayRun_;
};

}  // namespace quorvane
