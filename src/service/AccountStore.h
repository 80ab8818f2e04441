#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/SqliteDb.h"

namespace nimbra::service {

enum class TokenState { Valid, Unknown, Expired };

// Accounts, their passwords, quotas and current catalog, and the sign-on tokens issued to them.
class AccountStore final {
public:
    explicit AccountStore(SqliteDb& db) : m_db(db) {}

    // false when the name is taken.
    bool Add(const std::string& name, const std::string& password, int64_t quotaBytes);
    std::optional<int64_t> FindId(const std::string& name);
    // The account id when the password is right.
    std::optional<int64_t> Verify(const std::string& name, const std::string& password);

    std::string IssueToken(int64_t accountId, int64_t ttlSeconds);
    TokenState Resolve(const std::string& token, int64_t& accountId);
    void ExpireAllTokens();
    // Forgets tokens that expired at or before a time (seconds since 1970); until then they answer 9476.
    void PruneTokensExpiredBefore(int64_t time);

    int64_t Quota(int64_t accountId);
    int64_t CurrentCatalog(int64_t accountId);
    void SetCurrentCatalog(int64_t accountId, int64_t catalogId);

private:
    SqliteDb& m_db;
};

}  // namespace nimbra::service
