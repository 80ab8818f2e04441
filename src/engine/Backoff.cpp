#include "engine/Backoff.h"

#include <algorithm>

namespace nimbra::engine {

std::chrono::milliseconds Backoff::DelayFor(int failures, double unit) {
    // Past the cap after 7 doublings; the shift stays far from overflowing.
    const int doublings = std::clamp(failures - 1, 0, 16);
    const auto base = std::min<std::chrono::milliseconds::rep>(kFirst.count() << doublings, kCap.count());
    const double jitter = std::clamp(unit, 0.0, 1.0) * 0.25;
    return std::chrono::milliseconds(base - static_cast<std::chrono::milliseconds::rep>(base * jitter));
}

}  // namespace nimbra::engine
