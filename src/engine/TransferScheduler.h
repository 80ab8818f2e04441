#pragma once
// The engine's transfer thread: one libcurl multi handle (one connection cache) running at most N jobs at a
// time, and besides them at most L light jobs, the others waiting in first-in first-out order (a light job
// may pass a job waiting for a full-size slot). Callers only post commands; they never touch a handle.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "engine/TransferJob.h"

namespace nimbra::engine {

class TransferScheduler final {
public:
    static constexpr size_t kDefaultConcurrency = 4;
    static constexpr size_t kDefaultLightConcurrency = 64;

    explicit TransferScheduler(size_t maxActive = kDefaultConcurrency,
                               size_t maxLight = kDefaultLightConcurrency);
    ~TransferScheduler();
    TransferScheduler(const TransferScheduler&) = delete;
    TransferScheduler& operator=(const TransferScheduler&) = delete;

    // Queues a job behind the others; urgent jobs (short housekeeping) go first.
    void Enqueue(std::unique_ptr<TransferJob> job, bool urgent = false);
    // Drops the job of a task, queued or running, and returns once its handle is gone; false if none existed.
    bool Cancel(int32_t taskId);
    // Jobs for tasks that are queued or running.
    size_t PendingTaskJobs() const { return m_pendingTaskJobs.load(); }

private:
    struct Queued {
        std::unique_ptr<TransferJob> job;
        bool urgent;
    };
    struct Cancellation {
        int32_t taskId;
        std::shared_ptr<std::promise<bool>> done;
    };
    struct Woken {
        uint64_t serial;
    };
    using Command = std::variant<Queued, Cancellation, Woken>;
    struct Active {
        uint64_t serial;
        std::unique_ptr<TransferJob> job;
        bool light;
        bool inFlight = false;
    };

    void Post(Command command);
    void Run();
    void Apply(Command& command);
    void FillSlots();
    bool HasSlotFor(bool light) const;
    void Drive(Active& active, HttpRequest* finished);
    void Retire(std::unique_ptr<TransferJob> job);
    bool CancelTask(int32_t taskId);
    void DropTaskJobs();

    const size_t m_maxActive;
    const size_t m_maxLight;
    CURLM* m_multi;
    std::mutex m_mutex;
    std::vector<Command> m_commands;
    bool m_stop = false;
    std::atomic<size_t> m_pendingTaskJobs{0};
    // Owned by the transfer thread.
    std::deque<std::unique_ptr<TransferJob>> m_queue;
    std::vector<Active> m_active;
    uint64_t m_nextSerial = 1;
    std::thread m_thread;
};

}  // namespace nimbra::engine
