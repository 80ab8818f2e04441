#include "service/http/HttpRoutes.h"

namespace nimbra::service {

void HttpRoutes::Add(const std::string& method, const std::string& pattern, HttpHandler handler,
                     uint64_t bodyLimit) {
    m_routes.push_back(
        {method, std::regex(pattern), std::move(handler), bodyLimit == 0 ? m_defaultBodyLimit : bodyLimit});
}

std::optional<HttpRoutes::Match> HttpRoutes::Find(const std::string& method, const std::string& path) const {
    auto match = FindExactly(method, path);
    if (!match && method == "HEAD")
        match = FindExactly("GET", path);
    return match;
}

std::optional<HttpRoutes::Match> HttpRoutes::FindExactly(const std::string& method,
                                                         const std::string& path) const {
    for (const Route& route : m_routes) {
        std::smatch groups;
        if (route.method != method || !std::regex_match(path, groups, route.pattern))
            continue;
        Match match{&route.handler, route.bodyLimit, {}};
        for (const auto& group : groups)
            match.captures.push_back(group.str());
        return match;
    }
    return std::nullopt;
}

}  // namespace nimbra::service
