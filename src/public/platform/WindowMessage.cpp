#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <mutex>
#include <set>

namespace {

// Claims the number in Qt's registry so that no dynamically registered event type takes it.
void ReserveEventType(unsigned message) {
    static std::mutex mutex;
    static std::set<unsigned> reserved;
    std::lock_guard lock(mutex);
    if (reserved.insert(message).second) {
        QEvent::registerEventType(static_cast<int>(message));
    }
}

}  // namespace

WindowMessageEvent::WindowMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
    : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam) {
    ReserveEventType(message);
}

WindowMessageEvent* WindowMessageEvent::From(QEvent* event) {
    if (!event || !IsValidMessage(static_cast<unsigned>(event->type()))) {
        return nullptr;
    }
    return dynamic_cast<WindowMessageEvent*>(event);
}

bool WindowMessageEvent::IsValidMessage(unsigned message) {
    return message >= static_cast<unsigned>(QEvent::User) &&
           message <= static_cast<unsigned>(QEvent::MaxUser);
}

bool PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!receiver || !WindowMessageEvent::IsValidMessage(message)) {
        return false;
    }
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

LRESULT SendMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!receiver || !WindowMessageEvent::IsValidMessage(message)) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    if (receiver->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(receiver, &event);
    } else {
        QMetaObject::invokeMethod(
            receiver, [receiver, &event] { QCoreApplication::sendEvent(receiver, &event); },
            Qt::BlockingQueuedConnection);
    }
    return event.Result();
}

void WindowMessageMap::On(unsigned message, Handler handler) {
    m_handlers[message] = std::move(handler);
}

bool WindowMessageMap::Dispatch(QEvent* event) const {
    WindowMessageEvent* message = WindowMessageEvent::From(event);
    if (!message) {
        return false;
    }
    const auto it = m_handlers.find(message->Message());
    if (it == m_handlers.end()) {
        return false;
    }
    message->SetResult(it->second(message->WParam(), message->LParam()));
    return true;
}
