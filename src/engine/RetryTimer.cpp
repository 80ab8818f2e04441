#include "engine/RetryTimer.h"

namespace nimbra::engine {

RetryTimer::~RetryTimer() {
    Stop();
}

void RetryTimer::Start(std::chrono::milliseconds delay, std::function<void()> wake) {
    Stop();
    m_cancel = false;
    m_thread = std::thread([this, delay, wake = std::move(wake)] {
        std::unique_lock lock(m_mutex);
        if (!m_cancelled.wait_for(lock, delay, [&] { return m_cancel; }) && wake) {
            wake();
        }
    });
}

void RetryTimer::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_cancelled.notify_all();
    m_thread.join();
}

}  // namespace nimbra::engine
