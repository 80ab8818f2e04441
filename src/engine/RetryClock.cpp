#include "engine/RetryClock.h"

namespace nimbra::engine {

void SteadyRetryClock::WaitUntil(TimePoint deadline, const std::function<bool()>& ready) {
    std::unique_lock lock(m_mutex);
    if (deadline == TimePoint::max()) {
        // A far deadline would overflow the wait's own arithmetic.
        m_changed.wait(lock, ready);
    } else {
        m_changed.wait_until(lock, deadline, ready);
    }
}

void SteadyRetryClock::Wake() {
    // Under the lock: a waiter between its look at ready() and its wait cannot miss this.
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}

}  // namespace nimbra::engine
