#pragma once
// The one QCoreApplication of a test process, made on first use.

#include <QCoreApplication>

inline QCoreApplication& CoreApp() {
    static int argc = 1;
    static char name[] = "platform-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}
