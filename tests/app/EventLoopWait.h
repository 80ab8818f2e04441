#pragma once
// Waits of the widget tests, with the event loop turning: for a while, or until a condition holds.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

inline void Pump(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// False when the limit passes first: a guard against hanging, no timing check.
template <class Condition>
bool WaitFor(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const QDeadlineTimer deadline{limit};
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        Pump(50);
    }
    return true;
}
