// A platform plug-in named "probe" that only marks its own loading (mark_when_loaded.h). It
// offers no platform, so a program that loads it ends at once.
#include <QObject>
#include <QtPlugin>

#include "mark_when_loaded.h"

class ProbePlatformPlugin : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "probe_platform.json")
};

#include "probe_platform.moc"
