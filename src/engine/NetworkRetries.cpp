#include "engine/NetworkRetries.h"

#include <vector>

#include "engine/Backoff.h"

namespace nimbra::engine {

NetworkRetries::NetworkRetries(std::shared_ptr<RetryClock> clock, Retry retry)
    : m_clock(std::move(clock)), m_retry(std::move(retry)), m_random(std::random_device{}()) {
    m_thread = std::thread([this] { Run(); });
}

NetworkRetries::~NetworkRetries() {
    Stop();
}

void NetworkRetries::Stop() {
    m_stop = true;
    m_clock->Wake();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void NetworkRetries::Plan(const std::shared_ptr<Task>& task, bool progressed) {
    {
        std::lock_guard lock(m_mutex);
        Entry& entry = m_entries[task->Id()];
        entry.failures = progressed ? 1 : entry.failures + 1;
        const double unit = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
        entry.due = m_clock->Now() + Backoff::DelayFor(entry.failures, unit);
        entry.task = task;
    }
    Changed();
}

void NetworkRetries::Forget(int32_t taskId) {
    {
        std::lock_guard lock(m_mutex);
        m_entries.erase(taskId);
    }
    Changed();
}

void NetworkRetries::Clear() {
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }
    Changed();
}

std::optional<std::chrono::milliseconds> NetworkRetries::DueIn(int32_t taskId) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(taskId);
    if (found == m_entries.end() || !found->second.due) {
        return std::nullopt;
    }
    const auto left = *found->second.due - m_clock->Now();
    return std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(left));
}

void NetworkRetries::Changed() {
    ++m_changes;
    m_clock->Wake();
}

void NetworkRetries::Run() {
    while (!m_stop) {
        auto next = RetryClock::TimePoint::max();
        uint64_t seen = 0;
        {
            std::lock_guard lock(m_mutex);
            seen = m_changes;
            for (const auto& [id, entry] : m_entries) {
                if (entry.due && *entry.due < next) {
                    next = *entry.due;
                }
            }
        }
        m_clock->WaitUntil(next, [&] { return m_stop || m_changes != seen; });
        std::vector<std::shared_ptr<Task>> due;
        {
            std::lock_guard lock(m_mutex);
            const auto now = m_clock->Now();
            for (auto& [id, entry] : m_entries) {
                if (entry.due && *entry.due <= now) {
                    entry.due.reset();  // the count of failures stays for the next plan
                    if (auto task = entry.task.lock()) {
                        due.push_back(std::move(task));
                    }
                }
            }
        }
        for (const auto& task : due) {
            if (m_stop) {
                return;
            }
            m_retry(task);
        }
    }
}

}  // namespace nimbra::engine
