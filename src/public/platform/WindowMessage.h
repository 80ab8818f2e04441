#pragma once
// Window messages on Qt: every private message number (all at least 1000) is a QEvent type of the same
// number that carries the two message parameters and, for a sent message, the handler's result.
//
// A receiver handles them in event() (or customEvent()):
//     if (auto* message = WindowMessageEvent::From(event)) { message->SetResult(...); return true; }

#include <QEvent>
#include <functional>
#include <map>

#include "platform/WinTypes.h"

class QObject;

class WindowMessageEvent final : public QEvent {
public:
    WindowMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam);

    unsigned Message() const { return static_cast<unsigned>(type()); }
    WPARAM WParam() const { return m_wParam; }
    LPARAM LParam() const { return m_lParam; }
    LRESULT Result() const { return m_result; }
    void SetResult(LRESULT result) { m_result = result; }

    // The message an event carries, or null for any other event.
    static WindowMessageEvent* From(QEvent* event);
    // Message numbers that fit a QEvent type: QEvent::User (1000) to QEvent::MaxUser.
    static bool IsValidMessage(unsigned message);

private:
    WPARAM m_wParam;
    LPARAM m_lParam;
    LRESULT m_result = 0;
};

// Queues the message for the receiver's event loop; false when there is no receiver or the number is
// not a valid message number.
bool PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam);
// Delivers the message now and returns the handler's result (0 when nothing handled it). From another
// thread it blocks until the receiver's thread has handled it, as a sent window message does.
LRESULT SendMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam);

// A dialog's message map: handlers by message number, dispatched from the dialog's event().
class WindowMessageMap {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    void On(unsigned message, Handler handler);
    // Runs the handler of a window message event and stores its result; false when the event is no
    // message or no handler is set for it.
    bool Dispatch(QEvent* event) const;

private:
    std::map<unsigned, Handler> m_handlers;
};
