#pragma once
// One task in memory. State, progress, size and error code are atomics so that polling never waits for a
// transfer thread; the rest of the record sits under a mutex.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/TaskRecord.h"

namespace nimbra::engine {

class Task final {
public:
    // synchronising, when given, counts the tasks waiting to be confirmed with the server; it changes
    // together with the state, so a reader never sees a confirmed task still counted.
    explicit Task(TaskRecord record, std::shared_ptr<std::atomic<int32_t>> synchronising = {});

    int32_t Id() const { return m_id; }
    TaskKind Kind() const { return m_kind; }
    OrvULD::ORV_UPLOAD_SESSION_STATE State() const { return m_state.load(); }
    uint64_t Progress() const { return m_progress.load(std::memory_order_relaxed); }
    uint64_t Size() const { return m_size.load(std::memory_order_relaxed); }
    int32_t ErrorCode() const { return m_errorCode.load(std::memory_order_relaxed); }

    TaskRecord Snapshot() const;
    std::string LocalPath() const;
    std::string DisplayName() const;
    // A sign-on for this task alone, kept in memory only; empty uses the engine's.
    std::string SignOn() const;
    void SetSignOn(const std::string& signOn);
    // Changes the record under the lock and publishes state, size, error and confirmed offset; returns the
    // record as changed, ready to be stored.
    TaskRecord Edit(const std::function<void(TaskRecord&)>& change);
    // Bytes moved so far in the request in flight, on top of the confirmed offset (display only).
    void SetLiveProgress(uint64_t bytes) { m_progress.store(bytes, std::memory_order_relaxed); }
    // True while a job for the task is queued or running (a task has at most one).
    bool Scheduled() const { return m_scheduled.load(); }
    void SetScheduled(bool scheduled) { m_scheduled.store(scheduled); }

private:
    void Publish();

    const int32_t m_id;
    const TaskKind m_kind;
    mutable std::mutex m_mutex;
    TaskRecord m_record;
    std::string m_signOn;
    std::shared_ptr<std::atomic<int32_t>> m_synchronising;
    std::atomic<OrvULD::ORV_UPLOAD_SESSION_STATE> m_state;
    std::atomic<uint64_t> m_progress;
    std::atomic<uint64_t> m_size;
    std::atomic<int32_t> m_errorCode;
    std::atomic<bool> m_scheduled{false};
};

}  // namespace nimbra::engine
