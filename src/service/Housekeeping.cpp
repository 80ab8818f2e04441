#include "service/Housekeeping.h"

namespace nimbra::service {

Housekeeping::Housekeeping(std::function<void()> prune, std::chrono::seconds interval)
    : m_prune(std::move(prune)) {
    m_thread = std::thread([this, interval] {
        std::unique_lock lock(m_mutex);
        while (!m_stopped.wait_for(lock, interval, [this] { return m_stop; })) {
            lock.unlock();
            m_prune();
            lock.lock();
        }
    });
}

Housekeeping::~Housekeeping() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    m_thread.join();
}

}  // namespace nimbra::service
