#pragma once
// The time by which the engine plans its automatic retries, and the wait for the next one. Injectable, so
// that tests move time themselves instead of sleeping.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace nimbra::engine {

class RetryClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~RetryClock() = default;
    virtual TimePoint Now() = 0;
    // Blocks until the deadline has come by this clock, or until ready() holds; ready() is looked at again
    // whenever Wake() is called. TimePoint::max() waits for ready() alone.
    virtual void WaitUntil(TimePoint deadline, const std::function<bool()>& ready) = 0;
    virtual void Wake() = 0;
};

class SteadyRetryClock final : public RetryClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void WaitUntil(TimePoint deadline, const std::function<bool()>& ready) override;
    void Wake() override;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

}  // namespace nimbra::engine
