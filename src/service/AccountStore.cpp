#include "service/AccountStore.h"

#include <ctime>

#include "service/PasswordHash.h"
#include "service/RandomToken.h"

namespace nimbra::service {

bool AccountStore::Add(const std::string& name, const std::string& password, int64_t quotaBytes) {
    const PasswordHash hash = PasswordHash::Create(password);
    auto lock = m_db.Lock();
    if (FindId(name))
        return false;
    m_db.Prepare("INSERT INTO accounts(name, salt, hash, iterations, quota) VALUES(?,?,?,?,?)")
        .Bind(1, name)
        .BindBlob(2, hash.salt.data(), hash.salt.size())
        .BindBlob(3, hash.hash.data(), hash.hash.size())
        .Bind(4, int64_t{hash.iterations})
        .Bind(5, quotaBytes)
        .Run();
    return true;
}

std::optional<int64_t> AccountStore::FindId(const std::string& name) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT id FROM accounts WHERE name = ?");
    stmt.Bind(1, name);
    if (!stmt.Step())
        return std::nullopt;
    return stmt.Int(0);
}

std::optional<int64_t> AccountStore::Verify(const std::string& name, const std::string& password) {
    // An unknown name is checked against a throw-away hash, so that the answer takes as long as for a
    // known one and does not tell which names exist.
    static const PasswordHash kNobody = PasswordHash::Create("");
    PasswordHash stored = kNobody;
    std::optional<int64_t> id;
    {
        auto lock = m_db.Lock();
        auto stmt = m_db.Prepare("SELECT id, salt, hash, iterations FROM accounts WHERE name = ?");
        stmt.Bind(1, name);
        if (stmt.Step()) {
            id = stmt.Int(0);
            stored.salt = stmt.Blob(1);
            stored.hash = stmt.Blob(2);
            stored.iterations = static_cast<int>(stmt.Int(3));
        }
    }
    // Hashing runs outside the lock: it is the slow part and touches no shared state.
    const bool matches = stored.Matches(password);
    return id && matches ? id : std::nullopt;
}

std::string AccountStore::IssueToken(int64_t accountId, int64_t ttlSeconds) {
    const std::string token = RandomHex(32);
    auto lock = m_db.Lock();
    m_db.Prepare("INSERT INTO tokens(token, account_id, expires_at) VALUES(?,?,?)")
        .Bind(1, token)
        .Bind(2, accountId)
        .Bind(3, static_cast<int64_t>(std::time(nullptr)) + ttlSeconds)
        .Run();
    return token;
}

TokenState AccountStore::Resolve(const std::string& token, int64_t& accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT account_id, expires_at FROM tokens WHERE token = ?");
    stmt.Bind(1, token);
    if (!stmt.Step())
        return TokenState::Unknown;
    accountId = stmt.Int(0);
    return stmt.Int(1) > static_cast<int64_t>(std::time(nullptr)) ? TokenState::Valid : TokenState::Expired;
}

void AccountStore::ExpireAllTokens() {
    auto lock = m_db.Lock();
    m_db.Exec("UPDATE tokens SET expires_at = 0");
}

void AccountStore::PruneTokensExpiredBefore(int64_t time) {
    auto lock = m_db.Lock();
    m_db.Prepare("DELETE FROM tokens WHERE expires_at <= ?").Bind(1, time).Run();
}

int64_t AccountStore::Quota(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT quota FROM accounts WHERE id = ?");
    stmt.Bind(1, accountId);
    return stmt.Step() ? stmt.Int(0) : 0;
}

int64_t AccountStore::CurrentCatalog(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT current_catalog FROM accounts WHERE id = ?");
    stmt.Bind(1, accountId);
    return stmt.Step() ? stmt.Int(0) : 0;
}

void AccountStore::SetCurrentCatalog(int64_t accountId, int64_t catalogId) {
    auto lock = m_db.Lock();
    m_db.Prepare("UPDATE accounts SET current_catalog = ? WHERE id = ?")
        .Bind(1, catalogId)
        .Bind(2, accountId)
        .Run();
}

}  // namespace nimbra::service
