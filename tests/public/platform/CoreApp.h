#pragma once
// The one QCoreApplication of a test process, made on first use.

#include <QCoreApplication>

inline QCoreApplication& CoreApp() {
    static int argc = 1;
    static char name[] = "platform-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals are gone by the time static objects are torn down.
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}
