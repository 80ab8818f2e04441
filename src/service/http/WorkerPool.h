#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace nimbra::service {

// Threads for handlers that block (database, disk, waits for an upload): a task never waits for a free
// worker, a thread is started when none is idle, and one left idle for a while ends.
class WorkerPool final {
public:
    explicit WorkerPool(std::chrono::seconds idleLife = std::chrono::seconds(60)) : m_idleLife(idleLife) {}
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // False once stopped.
    bool Run(std::function<void()> task);
    // Lets the running tasks finish and ends every thread; later tasks are refused.
    void Stop();

private:
    void Work();

    std::chrono::seconds m_idleLife;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_ended;
    std::deque<std::function<void()>> m_tasks;
    size_t m_idle = 0;     // threads waiting for a task
    size_t m_running = 0;  // threads alive
    bool m_stop = false;
};

}  // namespace nimbra::service
