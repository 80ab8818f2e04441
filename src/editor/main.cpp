// nimbra-tone-editor: the reference ring-tone editor the Nimbra client hands new files to. It serves its
// object on the session bus, where the bus starts it on demand from its .service file, and ends with the
// bus or when asked to.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstdio>

#include "EditorWindow.h"
#include "ToneEditorService.h"
#include "platform/ToneEditorBus.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("nimbra-tone-editor");
    QApplication::setApplicationDisplayName("Tonevo");
    // Shown or hidden, the editor stays until the bus goes or it is told to quit.
    QApplication::setQuitOnLastWindowClosed(false);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "nimbra-tone-editor: no session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    EditorWindow window;
    ToneEditorService service(window);
    if (!bus.registerObject(kToneEditorPath, &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
        std::fprintf(stderr, "nimbra-tone-editor: cannot serve %s\n", kToneEditorPath);
        return 1;
    }
    if (!bus.registerService(kToneEditorService)) {
        std::fprintf(stderr, "nimbra-tone-editor: %s is served by another editor already\n",
                     kToneEditorService);
        return 1;
    }
    // The bus tells its clients when it goes away; an editor without its bus has nobody to serve.
    bus.connect(QString(), "/org/freedesktop/DBus/Local", "org.freedesktop.DBus.Local", "Disconnected", &app,
                SLOT(quit()));
    return QApplication::exec();
}
