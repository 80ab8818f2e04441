#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace nimbra::service {

// Lets concurrent callers share one costly step such as a sync of the disk: a caller that finds no batch
// running runs one for every item waiting, its own included; callers that come meanwhile wait and form the
// next batch.
template <class Item>
class GroupCommit final {
public:
    using Run = std::function<void(const std::vector<Item*>& batch)>;

    explicit GroupCommit(Run run) : m_run(std::move(run)) {}

    // Returns once a batch holding the item has run.
    void Submit(Item& item) {
        std::unique_lock lock(m_mutex);
        const uint64_t number = m_queued++;
        m_waiting.push_back(&item);
        // Batches take every waiting item in order, so the items done are always the first m_done.
        while (m_done <= number) {
            if (m_running) {
                m_changed.wait(lock);
                continue;
            }
            m_running = true;
            std::vector<Item*> batch;
            batch.swap(m_waiting);
            lock.unlock();
            try {
                m_run(batch);
            } catch (...) {
                Close(lock, batch.size());
                throw;
            }
            Close(lock, batch.size());
        }
    }

private:
    void Close(std::unique_lock<std::mutex>& lock, size_t count) {
        lock.lock();
        m_done += count;
        m_running = false;
        m_changed.notify_all();
    }

    Run m_run;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Item*> m_waiting;
    uint64_t m_queued = 0;
    uint64_t m_done = 0;
    bool m_running = false;
};

}  // namespace nimbra::service
