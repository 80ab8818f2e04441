#pragma once

#include <cstdint>
#include <optional>

#include "service/AccountStore.h"
#include "service/http/HttpRequest.h"
#include "service/http/HttpResponse.h"

namespace nimbra::service {

// Turns "Authorization: Bearer TOKEN" into an account id, or answers 401 (9476 when expired).
class Authenticator final {
public:
    explicit Authenticator(AccountStore& accounts) : m_accounts(accounts) {}

    std::optional<int64_t> Check(const HttpRequest& req, HttpResponse& res);

private:
    AccountStore& m_accounts;
};

}  // namespace nimbra::service
