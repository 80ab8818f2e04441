#include "service/SessionEndpoint.h"

#include "service/HttpReply.h"
#include "service/TusEndpoint.h"

namespace nimbra::service {

void SessionEndpoint::Register(httplib::Server& server) {
    server.Post("/lumenoApp/login",
                [this](const httplib::Request& req, httplib::Response& res) { Login(req, res); });
}

void SessionEndpoint::Login(const httplib::Request& req, httplib::Response& res) {
    const std::string account = req.get_param_value("account");
    const auto accountId = m_context.accounts.Verify(account, req.get_param_value("password"));
    if (!accountId) {
        // Same document shape as a success, so that a client's cursor finds the code where it looks.
        pugi::xml_document doc;
        AppendResult(doc, kErrorBadLogin, true);
        ReplyXml(res, doc, 403);
        res.set_header("X-Nimbra-Error", std::to_string(kErrorBadLogin));
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
