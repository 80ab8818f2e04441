#pragma once
// How long a task cut off by the network waits before its next try: 1 s after the first failure in a row,
// twice as long after each further one, never more than 60 s; up to a quarter less at random, so that
// tasks cut off together do not all come back in the same instant.

#include <chrono>

namespace nimbra::engine {

class Backoff final {
public:
    static constexpr std::chrono::milliseconds kFirst{1000};
    static constexpr std::chrono::milliseconds kCap{60000};

    // failures counts from 1; unit is a random number in [0, 1).
    static std::chrono::milliseconds DelayFor(int failures, double unit);
};

}  // namespace nimbra::engine
