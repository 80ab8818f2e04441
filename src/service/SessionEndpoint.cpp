#include "service/SessionEndpoint.h"

#include "service/HttpReply.h"
#include "service/TusEndpoint.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxFormBytes = 16 << 10;

}  // namespace

void SessionEndpoint::Register(HttpRoutes& routes) {
    routes.Add(
        "POST", "/lumenoApp/login", [this](HttpExchange& exchange) { Login(exchange); }, kMaxFormBytes);
}

void SessionEndpoint::Login(HttpExchange& exchange) {
    if (!ReadFormBody(exchange, kMaxFormBytes))
        return;
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    const std::string account = req.Param("account");
    // Same document shape as a success, so that a client's cursor finds the code where it looks.
    auto refuse = [&](int status) {
        pugi::xml_document doc;
        AppendResult(doc, kErrorBadLogin, true);
        ReplyXml(res, doc, status);
        res.SetHeader("X-Nimbra-Error", std::to_string(kErrorBadLogin));
    };
    if (const auto wait = m_throttle.Attempt(account, req.Peer()); wait.count() > 0) {
        refuse(429);
        res.SetHeader("Retry-After", std::to_string(wait.count()));
        return;
    }
    const auto accountId = m_context.accounts.Verify(account, req.Param("password"));
    if (!accountId)
        return refuse(403);
    m_throttle.Succeeded(account, req.Peer());
    const std::string token = m_context.accounts.IssueToken(*accountId, m_context.options.tokenTtlSeconds);
    pugi::xml_document doc;
    pugi::xml_node result = AppendResult(doc, 0, true);
    result.append_child("uploadUrl").text() = (m_context.baseUrl + TusEndpoint::kPath).c_str();
    result.append_child("account").text() = account.c_str();
    result.append_child("signOn").text() = token.c_str();
    ReplyXml(res, doc);
}

}  // namespace nimbra::service
