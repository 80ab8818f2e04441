#include "service/SqliteDb.h"

#include <stdexcept>

namespace nimbra::service {

namespace {

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// Version 1 of the metadata (indexes that only speed up queries are added to older files too). Catalog 0 is
// the top catalog of every account; it has no row.
constexpr const char* kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS accounts(
  id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, salt BLOB NOT NULL, hash BLOB NOT NULL,
  iterations INTEGER NOT NULL, quota INTEGER NOT NULL, current_catalog INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS tokens(
  token TEXT PRIMARY KEY, account_id INTEGER NOT NULL, expires_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS catalogs(
  id INTEGER PRIMARY KEY, account_id INTEGER NOT NULL, parent_id INTEGER NOT NULL, name TEXT NOT NULL,
  is_shared INTEGER NOT NULL DEFAULT 0, UNIQUE(account_id, parent_id, name));
CREATE TABLE IF NOT EXISTS files(
  id INTEGER PRIMARY KEY, account_id INTEGER NOT NULL, catalog_id INTEGER NOT NULL, name TEXT NOT NULL,
  size INTEGER NOT NULL, tag TEXT NOT NULL, description TEXT NOT NULL, app_type INTEGER NOT NULL,
  complex_flag INTEGER NOT NULL, complex_cid TEXT NOT NULL, sha1 TEXT NOT NULL,
  has_thumbnail INTEGER NOT NULL DEFAULT 0, created_at INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS files_by_catalog ON files(account_id, catalog_id);
CREATE INDEX IF NOT EXISTS files_size_by_account ON files(account_id, size);
CREATE TABLE IF NOT EXISTS uploads(
  id TEXT PRIMARY KEY, account_id INTEGER NOT NULL, length INTEGER NOT NULL, offset INTEGER NOT NULL,
  catalog_id INTEGER NOT NULL, filename TEXT NOT NULL, tag TEXT NOT NULL, description TEXT NOT NULL,
  app_type INTEGER NOT NULL, complex_flag INTEGER NOT NULL, complex_cid TEXT NOT NULL,
  expected_sha1 TEXT NOT NULL, metadata TEXT NOT NULL, hash_state BLOB, hash_offset INTEGER NOT NULL,
  file_id INTEGER, created_at INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS unfinished_uploads ON uploads(account_id, length) WHERE file_id IS NULL;
CREATE TABLE IF NOT EXISTS settings(
  account_id INTEGER NOT NULL, name TEXT NOT NULL, value BLOB NOT NULL, PRIMARY KEY(account_id, name));
)SQL";

// Version 2: a client's key for each creation, so that a creation repeated after a lost answer finds the
// first one.
constexpr const char* kVersion2 = R"SQL(
ALTER TABLE uploads ADD COLUMN creation_key TEXT NOT NULL DEFAULT '';
CREATE INDEX uploads_by_creation_key ON uploads(account_id, creation_key) WHERE creation_key != '';
)SQL";

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : m_db(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        Fail(db, "prepare");
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        Fail(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& value) {
    if (sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        Fail(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, const void* data, size_t size) {
    if (sqlite3_bind_blob(m_stmt, index, data, static_cast<int>(size), SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        Fail(m_db, "bind");
    return *this;
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(m_db, "step");
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(m_stmt, column))
                : std::string();
}

std::string SqliteStatement::Blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return data ? std::string(data, sqlite3_column_bytes(m_stmt, column)) : std::string();
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

SqliteDb::SqliteDb(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open " + file.string() + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 5000);
    Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON;");
    CreateSchema();
}

SqliteDb::~SqliteDb() {
    sqlite3_close(m_db);
}

void SqliteDb::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("sql: " + message);
    }
}

void SqliteDb::CreateSchema() {
    auto version = Prepare("PRAGMA user_version");
    const int64_t found = version.Step() ? version.Int(0) : 0;
    if (found > 2)
        throw std::runtime_error("metadata written by a newer nimbra-diskd");
    Exec("BEGIN IMMEDIATE");
    Exec(kSchema);
    if (found < 2)
        Exec(kVersion2);
    Exec("PRAGMA user_version = 2; COMMIT");
}

SqliteTransaction::SqliteTransaction(SqliteDb& db, Durability durability)
    : m_db(db), m_lock(db.Lock()), m_durability(durability) {
    // The connection syncs every commit; a deferred one skips that and rides on the next synced commit.
    if (m_durability == Durability::Deferred)
        m_db.Exec("PRAGMA synchronous = NORMAL");
    try {
        m_db.Exec("BEGIN IMMEDIATE");
    } catch (...) {
        if (m_durability == Durability::Deferred)
            m_db.Exec("PRAGMA synchronous = FULL");
        throw;
    }
}

SqliteTransaction::~SqliteTransaction() {
    // Nothing sensible to do on failure while unwinding; SQLite rolls back on close anyway.
    try {
        if (!m_done)
            m_db.Exec("ROLLBACK");
        if (m_durability == Durability::Deferred)
            m_db.Exec("PRAGMA synchronous = FULL");
    } catch (...) {
    }
}

void SqliteTransaction::Commit() {
    m_db.Exec("COMMIT");
    m_done = true;
}

}  // namespace nimbra::service
