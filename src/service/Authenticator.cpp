#include "service/Authenticator.h"

#include <string>

#include "service/HttpReply.h"

namespace nimbra::service {

std::optional<int64_t> Authenticator::Check(const HttpRequest& req, HttpResponse& res) {
    static const std::string kScheme = "Bearer ";
    const std::string header = req.Header("Authorization");
    int64_t accountId = 0;
    TokenState state = TokenState::Unknown;
    if (header.compare(0, kScheme.size(), kScheme) == 0)
        state = m_accounts.Resolve(header.substr(kScheme.size()), accountId);
    switch (state) {
        case TokenState::Valid:
            return accountId;
        case TokenState::Expired:
            ReplyError(res, 401, kErrorSignOnExpired);
            break;
        case TokenState::Unknown:
            res.status = 401;
            break;
    }
    res.SetHeader("WWW-Authenticate", "Bearer");
    return std::nullopt;
}

}  // namespace nimbra::service
