#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "io/SequentialFile.h"

namespace nimbra::io {

// Hands full blocks to stages that each run on a thread of their own and see every block in the order
// given, so that receiving the next block overlaps with hashing and with writing the previous ones. At most
// a few blocks wait, which bounds memory.
class WriteBehind final {
public:
    using Block = AlignedBlock;
    // Runs on its stage's thread for each block; false marks the pipeline failed and skips the rest.
    using Stage = std::function<bool(const Block&)>;

    explicit WriteBehind(std::vector<Stage> stages);
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Hands a block over and returns an empty one to fill next; waits while too many are queued.
    Block Submit(Block block);
    // Waits until every stage has processed every submitted block; false when any failed.
    bool Drain();
    bool Failed() const { return m_failed; }

private:
    void Run(size_t stage);
    // Moves the blocks every stage is done with to the spares.
    void Retire();

    std::vector<Stage> m_stages;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    uint64_t m_firstQueued = 0;    // number of the block at the front of the queue
    std::vector<uint64_t> m_next;  // per stage: number of the next block it processes
    std::vector<Block> m_spare;
    bool m_stop = false;
    std::atomic<bool> m_failed{false};
    std::vector<std::thread> m_threads;
};

}  // namespace nimbra::io
