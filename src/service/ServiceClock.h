#pragma once

#include <atomic>
#include <chrono>

namespace nimbra::service {

// The monotonic clock the service measures deadlines and login delays with. Tests move it on (through a
// test hook when the service runs in its own process) instead of waiting.
class ServiceClock final {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    TimePoint Now() const {
        return std::chrono::steady_clock::now() + std::chrono::nanoseconds(m_offset.load());
    }
    void Advance(std::chrono::nanoseconds by) { m_offset += by.count(); }

private:
    std::atomic<int64_t> m_offset{0};
};

}  // namespace nimbra::service
