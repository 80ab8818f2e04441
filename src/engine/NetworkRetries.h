#pragma once
// The engine's automatic retries of tasks cut off by the network: each failure in a row waits longer
// (Backoff), and one thread hands each task back to the engine when its time has come. Commands may come
// from any thread; the engine's retry runs on that thread, never under this object's lock.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "engine/RetryClock.h"
#include "engine/Task.h"

namespace nimbra::engine {

class NetworkRetries final {
public:
    using Retry = std::function<void(const std::shared_ptr<Task>&)>;

    NetworkRetries(std::shared_ptr<RetryClock> clock, Retry retry);
    ~NetworkRetries();
    NetworkRetries(const NetworkRetries&) = delete;
    NetworkRetries& operator=(const NetworkRetries&) = delete;

    // Plans the next try of a task that has just failed for a network reason. A try that moved bytes
    // before it failed starts the series again from the shortest wait.
    void Plan(const std::shared_ptr<Task>& task, bool progressed);
    // Drops the task's plan and its count of failures (the user took over, or the task ended).
    void Forget(int32_t taskId);
    void Clear();
    // The time left until the task's next try; nullopt when none is planned.
    std::optional<std::chrono::milliseconds> DueIn(int32_t taskId) const;
    // Ends the waking thread; the engine calls it before it goes, so that no retry reaches it afterwards.
    void Stop();

private:
    struct Entry {
        int failures = 0;
        std::optional<RetryClock::TimePoint> due;
        std::weak_ptr<Task> task;
    };

    void Run();
    void Changed();

    const std::shared_ptr<RetryClock> m_clock;
    const Retry m_retry;
    mutable std::mutex m_mutex;
    std::map<int32_t, Entry> m_entries;
    std::minstd_rand m_random;
    std::atomic<uint64_t> m_changes{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace nimbra::engine
