#include "service/WriteBehind.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxQueued = 2;

}  // namespace

WriteBehind::WriteBehind(std::function<bool(const Block&)> process)
    : m_process(std::move(process)), m_thread([this] { Run(); }) {}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
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
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_working; });
    return !m_failed;
}

void WriteBehind::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        Block block = std::move(m_queue.front());
        m_queue.pop_front();
        m_working = true;
        lock.unlock();
        m_changed.notify_all();
        if (!m_failed && !m_process(block))
            m_failed = true;
        lock.lock();
        m_working = false;
        m_spare.push_back(std::move(block));
        m_changed.notify_all();
    }
}

}  // namespace nimbra::service
