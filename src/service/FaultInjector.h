#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "service/AccountStore.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// Faults a test asks for through POST /__test/fault, and the other test hooks (only when the service runs
// with them): tokens made expired, the service's clock moved on.
class FaultInjector final {
public:
    using ClockMover = std::function<void(std::chrono::milliseconds)>;

    void Register(HttpRoutes& routes, AccountStore& accounts, ClockMover moveClock);

    // Runs before routing: hangs and injected error answers. True when the request was answered.
    bool Intercept(HttpExchange& exchange);
    // Body bytes after which the next PATCH or file download loses its connection; -1 when none is armed.
    int64_t TakeDropAfter();

private:
    void Configure(const HttpRequest& req);

    std::mutex m_mutex;
    int64_t m_dropAfterBytes = -1;
    std::string m_errorPrefix;
    int m_errorStatus = 0;
    int m_errorCode = 0;
    int m_errorCount = 0;  // answers left; < 0 until cleared
    std::string m_hangPrefix;
    int64_t m_hangMs = 0;
    int m_hangCount = 0;
};

}  // namespace nimbra::service
