#pragma once
// Wakes a job after a delay, for retries that must not spin. Destroying it cancels the wait at once.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace nimbra::engine {

class RetryTimer final {
public:
    RetryTimer() = default;
    ~RetryTimer();
    RetryTimer(const RetryTimer&) = delete;
    RetryTimer& operator=(const RetryTimer&) = delete;

    void Start(std::chrono::milliseconds delay, std::function<void()> wake);

private:
    void Stop();

    std::mutex m_mutex;
    std::condition_variable m_cancelled;
    bool m_cancel = false;
    std::thread m_thread;
};

}  // namespace nimbra::engine
