#include "service/SettingsStore.h"

namespace nimbra::service {

void SettingsStore::Put(int64_t accountId, const std::string& name, const std::string& value) {
    auto lock = m_db.Lock();
    m_db.Prepare("INSERT OR REPLACE INTO settings(account_id, name, value) VALUES(?,?,?)")
        .Bind(1, accountId)
        .Bind(2, name)
        .BindBlob(3, value.data(), value.size())
        .Run();
}

std::optional<std::string> SettingsStore::Get(int64_t accountId, const std::string& name) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT value FROM settings WHERE account_id = ? AND name = ?");
    stmt.Bind(1, accountId).Bind(2, name);
    if (!stmt.Step())
        return std::nullopt;
    return stmt.Blob(0);
}

int64_t SettingsStore::StoredBytes(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        "SELECT COALESCE(SUM(length(CAST(name AS BLOB)) + length(value)), 0) FROM settings WHERE account_id "
        "= ?");
    stmt.Bind(1, accountId);
    stmt.Step();
    return stmt.Int(0);
}

}  // namespace nimbra::service
