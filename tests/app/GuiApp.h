#pragma once
// The one QApplication of a widget test process: the one already there, or one made on first use and
// never destroyed (Qt's own globals are gone by the time static objects are torn down).

#include <QApplication>

inline QApplication& GuiApp() {
    if (auto* existing = qobject_cast<QApplication*>(QApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "nimbra-app-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
