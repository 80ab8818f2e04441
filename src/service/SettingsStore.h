#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/SqliteDb.h"

namespace nimbra::service {

// Named values an account keeps on the server (the client's "UploadTaskInfo", for one).
class SettingsStore final {
public:
    explicit SettingsStore(SqliteDb& db) : m_db(db) {}

    void Put(int64_t accountId, const std::string& name, const std::string& value);
    std::optional<std::string> Get(int64_t accountId, const std::string& name);
    // Bytes the account's settings take (names and values): they count against its quota.
    int64_t StoredBytes(int64_t accountId);

private:
    SqliteDb& m_db;
};

}  // namespace nimbra::service
