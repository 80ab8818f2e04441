#include "io/WriteBehind.h"

#include <algorithm>

namespace nimbra::io {

namespace {

constexpr size_t kMaxQueued = 3;

}  // namespace

WriteBehind::WriteBehind(std::vector<Stage> stages)
    : m_stages(std::move(stages)), m_next(m_stages.size(), 0) {
    for (size_t stage = 0; stage < m_stages.size(); ++stage)
        m_threads.emplace_back([this, stage] { Run(stage); });
}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (auto& thread : m_threads)
        thread.join();
}

WriteBehind::Block WriteBehind::Submit(Block block) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
    const size_t capacity = block.capacity();
    m_queue.push_back(std::move(block));
    Block next;
    if (!m_spare.empty()) {
        next = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
    next.clear();
    next.reserve(capacity);
    return next;
}

bool WriteBehind::Drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty(); });
    return !m_failed;
}

void WriteBehind::Run(size_t stage) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || m_next[stage] < m_firstQueued + m_queue.size(); });
        if (m_next[stage] == m_firstQueued + m_queue.size())
            return;  // stopping with nothing left for this stage
        // Queued blocks stay where they are until every stage is past them, and appending to a deque
        // moves no element: the reference holds without the lock.
        const Block& block = m_queue[m_next[stage] - m_firstQueued];
        lock.unlock();
        if (!m_failed && !m_stages[stage](block))
            m_failed = true;
        lock.lock();
        ++m_next[stage];
        Retire();
        m_changed.notify_all();
    }
}

void WriteBehind::Retire() {
    const uint64_t done = *std::min_element(m_next.begin(), m_next.end());
    while (m_firstQueued < done) {
        m_spare.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
        ++m_firstQueued;
    }
}

}  // namespace nimbra::io
