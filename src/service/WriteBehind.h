#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace nimbra::service {

// Processes full blocks on a thread of its own, in the order given, so that receiving the next block
// overlaps with hashing and writing the previous one. At most a few blocks wait, which bounds memory.
class WriteBehind final {
public:
    using Block = std::vector<char>;

    // `process` runs on the worker for each block; false marks the pipeline failed and skips the rest.
    explicit WriteBehind(std::function<bool(const Block&)> process);
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Hands a block over and returns an empty one to fill next; waits while too many are queued.
    Block Submit(Block block);
    // Waits until every submitted block is processed; false when any failed.
    bool Drain();
    bool Failed() const { return m_failed; }

private:
    void Run();

    std::function<bool(const Block&)> m_process;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    std::vector<Block> m_spare;
    bool m_working = false;
    bool m_stop = false;
    std::atomic<bool> m_failed{false};
    std::thread m_thread;
};

}  // namespace nimbra::service
