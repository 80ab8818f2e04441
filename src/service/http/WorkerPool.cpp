#include "service/http/WorkerPool.h"

#include <thread>

namespace nimbra::service {

WorkerPool::~WorkerPool() {
    Stop();
}

bool WorkerPool::Run(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    if (m_stop)
        return false;
    m_tasks.push_back(std::move(task));
    if (m_tasks.size() <= m_idle) {
        m_wake.notify_one();
        return true;
    }
    ++m_running;
    // Detached: Stop() waits for every thread to leave Work(), which touches nothing of the pool after that.
    std::thread([this] { Work(); }).detach();
    return true;
}

void WorkerPool::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_tasks.empty()) {
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;  // what it holds goes before the pool can be stopped
            lock.lock();
            continue;
        }
        if (m_stop)
            break;
        ++m_idle;
        const bool woken = m_wake.wait_for(lock, m_idleLife, [this] { return !m_tasks.empty() || m_stop; });
        --m_idle;
        if (!woken)
            break;
    }
    --m_running;
    m_ended.notify_all();
}

void WorkerPool::Stop() {
    std::unique_lock lock(m_mutex);
    m_stop = true;
    m_wake.notify_all();
    m_ended.wait(lock, [this] { return m_running == 0; });
}

}  // namespace nimbra::service
