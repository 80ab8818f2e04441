#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "service/http/HttpLimits.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// The service's HTTP/1.1 server, on Boost.Beast's parser over Boost.Asio: one network thread reads every
// head under the limits, handlers run on worker threads, and deadlines are measured with the given clock.
class HttpServer final {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    HttpServer(const HttpRoutes& routes, HttpLimits limits, Clock now);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds (port 0: any free one); false with `error` set when it cannot listen.
    bool Listen(const std::string& host, int port, std::string& error);
    // Starts accepting and serving on the bound port.
    void Serve();
    // Closes every connection and waits for the handlers still running.
    void Stop();
    int Port() const { return m_port; }
    // Enforces the deadlines now rather than at the next periodic sweep (the clock was moved on).
    void SweepNow();

private:
    struct Runtime;
    std::unique_ptr<Runtime> m_runtime;
    int m_port = 0;
};

}  // namespace nimbra::service
