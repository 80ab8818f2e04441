#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "service/http/HttpExchange.h"

namespace nimbra::service {

using HttpHandler = std::function<void(HttpExchange&)>;

// Which handler takes a request, and how large a body its route accepts.
class HttpRoutes final {
public:
    static constexpr uint64_t kUnbounded = UINT64_MAX;

    struct Match {
        const HttpHandler* handler = nullptr;
        uint64_t bodyLimit = 0;
        std::vector<std::string> captures;
    };

    explicit HttpRoutes(uint64_t defaultBodyLimit) : m_defaultBodyLimit(defaultBodyLimit) {}

    // `pattern` must match the whole decoded path; a limit of 0 means the default one.
    void Add(const std::string& method, const std::string& pattern, HttpHandler handler,
             uint64_t bodyLimit = 0);
    // HEAD falls back to the GET routes.
    std::optional<Match> Find(const std::string& method, const std::string& path) const;
    uint64_t DefaultBodyLimit() const { return m_defaultBodyLimit; }

    // Runs before routing; true when it answered the request itself (test hooks).
    std::function<bool(HttpExchange&)> intercept;
    // Fills the answer to a request refused before any handler (400, 413, 414, 431, 503) or whose handler
    // failed (500).
    std::function<void(HttpResponse&, int status)> describeRefusal;

private:
    struct Route {
        std::string method;
        std::regex pattern;
        HttpHandler handler;
        uint64_t bodyLimit;
    };

    std::optional<Match> FindExactly(const std::string& method, const std::string& path) const;

    uint64_t m_defaultBodyLimit;
    std::vector<Route> m_routes;
};

}  // namespace nimbra::service
