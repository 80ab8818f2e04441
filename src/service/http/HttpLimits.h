#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace nimbra::service {

// What the server lets a client do before any handler sees its request.
struct HttpLimits {
    size_t maxHeadBytes = 32 << 10;  // request line and header fields together
    size_t maxHeaderFields = 100;
    // A whole head must arrive within this, counted from its first byte.
    std::chrono::milliseconds headDeadline{10'000};
    // A connection silent this long is closed: between requests, inside a body, or not taking its answer.
    std::chrono::milliseconds idleTimeout{30'000};
    size_t maxConnectionsPerPeer = 64;
    size_t maxConnections = 1000;
    // Bodies of routes that do not name their own limit.
    uint64_t defaultBodyLimit = 64 << 10;
};

}  // namespace nimbra::service
