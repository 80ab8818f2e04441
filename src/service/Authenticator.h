#pragma once

#include <httplib.h>

#include <cstdint>
#include <optional>

#include "service/AccountStore.h"

namespace nimbra::service {

// Turns "Authorization: Bearer TOKEN" into an account id, or answers 401 (9476 when expired).
class Authenticator final {
public:
    explicit Authenticator(AccountStore& accounts) : m_accounts(accounts) {}

    std::optional<int64_t> Check(const httplib::Request& req, httplib::Response& res);

private:
    AccountStore& m_accounts;
};

}  // namespace nimbra::service
