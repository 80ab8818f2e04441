#include "service/SqliteDb.h"

#include <new>
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

// Version 3: each account's used bytes kept as files come and go, so that admitting an upload does not sum
// every file of the account.
constexpr const char* kVersion3 = R"SQL(
ALTER TABLE accounts ADD COLUMN used_bytes INTEGER NOT NULL DEFAULT 0;
DROP INDEX IF EXISTS files_size_by_account;
UPDATE accounts SET used_bytes = (SELECT COALESCE(SUM(size), 0) FROM files WHERE account_id = accounts.id);
CREATE TRIGGER files_used_insert AFTER INSERT ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes + NEW.size WHERE id = NEW.account_id; END;
CREATE TRIGGER files_used_delete AFTER DELETE ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes - OLD.size WHERE id = OLD.account_id; END;
CREATE TRIGGER files_used_update AFTER UPDATE OF size, account_id ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes - OLD.size WHERE id = OLD.account_id;
  UPDATE accounts SET used_bytes = used_bytes + NEW.size WHERE id = NEW.account_id; END;
)SQL";

// Version 4: thumbnails count against the quota (their bytes kept with files and uploads, the used bytes of
// an account including those of its files' thumbnails), and a creation key names at most one upload.
constexpr const char* kVersion4 = R"SQL(
DROP TRIGGER IF EXISTS files_used_insert;
DROP TRIGGER IF EXISTS files_used_delete;
DROP TRIGGER IF EXISTS files_used_update;
UPDATE accounts SET used_bytes =
  (SELECT COALESCE(SUM(size + thumbnail_bytes), 0) FROM files WHERE account_id = accounts.id);
CREATE TRIGGER files_used_insert AFTER INSERT ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes + NEW.size + NEW.thumbnail_bytes WHERE id = NEW.account_id; END;
CREATE TRIGGER files_used_delete AFTER DELETE ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes - OLD.size - OLD.thumbnail_bytes WHERE id = OLD.account_id; END;
CREATE TRIGGER files_used_update AFTER UPDATE OF size, thumbnail_bytes, account_id ON files BEGIN
  UPDATE accounts SET used_bytes = used_bytes - OLD.size - OLD.thumbnail_bytes WHERE id = OLD.account_id;
  UPDATE accounts SET used_bytes = used_bytes + NEW.size + NEW.thumbnail_bytes WHERE id = NEW.account_id; END;
UPDATE uploads SET creation_key = '' WHERE creation_key != '' AND rowid NOT IN
  (SELECT MAX(rowid) FROM uploads WHERE creation_key != '' GROUP BY account_id, creation_key);
DROP INDEX IF EXISTS uploads_by_creation_key;
CREATE UNIQUE INDEX IF NOT EXISTS uploads_by_unique_creation_key ON uploads(account_id, creation_key)
  WHERE creation_key != '';
)SQL";

constexpr int kCurrentVersion = 4;

}  // namespace

SqliteStatement::SqliteStatement(SqliteDb& db, const char* sql)
    : m_owner(db), m_db(db.m_db), m_stmt(db.Borrow(sql)) {}

SqliteStatement::~SqliteStatement() {
    m_owner.GiveBack(m_stmt);
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
    for (auto& [sql, statements] : m_idle)
        for (auto* stmt : statements)
            sqlite3_finalize(stmt);
    sqlite3_close(m_db);
}

sqlite3_stmt* SqliteDb::Borrow(const char* sql) {
    std::lock_guard lock(m_mutex);
    if (auto found = m_idle.find(sql); found != m_idle.end() && !found->second.empty()) {
        sqlite3_stmt* stmt = found->second.back();
        found->second.pop_back();
        return stmt;
    }
    // A statement still in use (a nested query of the same text) gets a second one.
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        Fail(m_db, "prepare");
    }
    return stmt;
}

void SqliteDb::GiveBack(sqlite3_stmt* stmt) {
    std::lock_guard lock(m_mutex);
    // A reset ends the statement's read of the database, which a later commit or schema change needs.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    constexpr size_t kMaxIdlePerText = 4;
    try {
        auto& idle = m_idle[sqlite3_sql(stmt)];
        if (idle.size() < kMaxIdlePerText) {
            idle.push_back(stmt);
            return;
        }
    } catch (const std::bad_alloc&) {
    }
    sqlite3_finalize(stmt);
}

void SqliteDb::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("sql: " + message);
    }
}

bool SqliteDb::HasColumn(const std::string& table, const std::string& column) {
    auto info = Prepare(("PRAGMA table_info(" + table + ")").c_str());
    while (info.Step())
        if (info.Text(1) == column)
            return true;
    return false;
}

void SqliteDb::CreateSchema() {
    const int64_t found = [this] {
        // Finished before the upgrade: a statement still open would lock the tables it drops.
        auto version = Prepare("PRAGMA user_version");
        return version.Step() ? version.Int(0) : 0;
    }();
    if (found > kCurrentVersion)
        throw std::runtime_error("metadata written by a newer nimbra-diskd");
    Exec("BEGIN IMMEDIATE");
    Exec(kSchema);
    if (found < 2)
        Exec(kVersion2);
    if (found < 3)
        Exec(kVersion3);
    if (found < 4) {
        // A file marked older than it is may hold these columns already.
        for (const char* table : {"files", "uploads"})
            if (!HasColumn(table, "thumbnail_bytes"))
                Exec((std::string("ALTER TABLE ") + table +
                      " ADD COLUMN thumbnail_bytes INTEGER NOT NULL DEFAULT 0")
                         .c_str());
        Exec(kVersion4);
    }
    Exec(("PRAGMA user_version = " + std::to_string(kCurrentVersion) + "; COMMIT").c_str());
}

SqliteTransaction::SqliteTransaction(SqliteDb& db, Durability durability)
    : m_db(db), m_lock(db.Lock()), m_durability(durability) {
    // The connection syncs every commit; a deferred one skips that and rides on the next synced commit.
    if (m_durability == Durability::Deferred)
        m_db.Prepare("PRAGMA synchronous = NORMAL").Run();
    try {
        m_db.Prepare("BEGIN IMMEDIATE").Run();
    } catch (...) {
        if (m_durability == Durability::Deferred)
            m_db.Prepare("PRAGMA synchronous = FULL").Run();
        throw;
    }
}

SqliteTransaction::~SqliteTransaction() {
    // Nothing sensible to do on failure while unwinding; SQLite rolls back on close anyway.
    try {
        if (!m_done)
            m_db.Prepare("ROLLBACK").Run();
        if (m_durability == Durability::Deferred)
            m_db.Prepare("PRAGMA synchronous = FULL").Run();
    } catch (...) {
    }
}

void SqliteTransaction::Commit() {
    m_db.Prepare("COMMIT").Run();
    m_done = true;
}

}  // namespace nimbra::service
