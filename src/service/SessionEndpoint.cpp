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
    const auto accountId = m_context.accounts.Verify(account, req.Param("password"));
    if (!accountId) {
        // Same document shape as a success, so that a client's cursor finds the code where it looks.
        pugi::xml_document doc;
        AppendResult(doc, kErrorBadLogin, true);
        ReplyXml(res, doc, 403);
        res.SetHeader("X-Nimbra-Error", std::to_string(kErrorBadLogin));
        return;
    }
    const std::string token = m_context.accounts.IssueToken(*accountId, m_context.options.tokenTtlSeconds);
    pugi::xml_document doc;
    pugi::xml_node result = AppendResult(doc, 0, true);
    result.append_child("uploadUrl").text() = (m_context.baseUrl + TusEndpoint::kPath).c_str();
    result.append_child("account").text() = account.c_str();
    result.append_child("signOn").text() = token.c_str();
    ReplyXml(res, doc);
}

}  // namespace nimbra::service
