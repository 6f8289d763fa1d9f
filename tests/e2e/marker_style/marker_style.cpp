// A style plug-in that only leaves a file named "loaded" beside itself when a program loads it,
// so a check can tell whether a program loaded a plug-in that the environment named.
#include <QStylePlugin>

#include "mark_when_loaded.h"

class MarkerStylePlugin : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "marker_style.json")

public:
    // No style of its own: the program falls back to its usual one.
    QStyle* create(const QString&) override { return nullptr; }
};

#include "marker_style.moc"
