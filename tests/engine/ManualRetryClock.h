#pragma once
// A retry clock that stands still until the test moves it.

#include "engine/RetryClock.h"

namespace nimbra::engine {

class ManualRetryClock final : public RetryClock {
public:
    TimePoint Now() override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    void WaitUntil(TimePoint deadline, const std::function<bool()>& ready) override {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return ready() || m_now >= deadline; });
    }
    void Wake() override {
        std::lock_guard lock(m_mutex);
        m_changed.notify_all();
    }
    void Advance(std::chrono::milliseconds step) {
        std::lock_guard lock(m_mutex);
        m_now += step;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    TimePoint m_now{std::chrono::hours(1)};
};

}  // namespace nimbra::engine
