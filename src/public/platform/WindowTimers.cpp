#include "platform/WindowTimers.h"

#include <QTimer>
#include <algorithm>
#include <climits>

WindowTimers::WindowTimers(Callback onTimer, QObject* parent)
    : QObject(parent), m_onTimer(std::move(onTimer)) {}

WindowTimers::~WindowTimers() = default;

unsigned WindowTimers::SetTimer(unsigned id, unsigned milliseconds) {
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>(this);
        timer->setObjectName(QString::number(id));
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (m_onTimer) {
                m_onTimer(id);
            }
        });
    }
    const unsigned period = std::clamp(milliseconds, kMinimumPeriod, static_cast<unsigned>(INT_MAX));
    timer->start(static_cast<int>(period));
    return id;
}

bool WindowTimers::KillTimer(unsigned id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return false;
    }
    Retire(std::move(it->second));
    m_timers.erase(it);
    return true;
}

void WindowTimers::KillAll() {
    for (auto& entry : m_timers) {
        Retire(std::move(entry.second));
    }
    m_timers.clear();
}

// A timer may be killed from its own OnTimer, while it is still emitting: it is stopped now and
// deleted once control is back in the event loop.
void WindowTimers::Retire(std::unique_ptr<QTimer> timer) {
    timer->stop();
    timer->setObjectName(QString());
    timer.release()->deleteLater();
}

bool WindowTimers::IsActive(unsigned id) const {
    return m_timers.count(id) > 0;
}

unsigned WindowTimers::Period(unsigned id) const {
    const auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : static_cast<unsigned>(it->second->interval());
}

std::vector<unsigned> WindowTimers::ActiveIds() const {
    std::vector<unsigned> ids;
    for (const auto& entry : m_timers) {
        ids.push_back(entry.first);
    }
    return ids;
}
