#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace nimbra::service {

class SqliteDb;

// One prepared statement, lent by its database and handed back (reset) when it goes; throws
// std::runtime_error on any SQLite failure so that a broken database never turns into a silent success.
class SqliteStatement final {
public:
    SqliteStatement(SqliteDb& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, const std::string& value);
    SqliteStatement& BindBlob(int index, const void* data, size_t size);
    SqliteStatement& BindNull(int index);

    // Runs one step: true while a row is available.
    bool Step();
    void Run();  // runs to completion, no rows expected

    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::string Blob(int column) const;
    bool IsNull(int column) const;

private:
    SqliteDb& m_owner;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
};

// The metadata database: one connection shared by all worker threads, serialised by Lock().
class SqliteDb final {
public:
    explicit SqliteDb(const std::filesystem::path& file);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(m_mutex); }
    SqliteStatement Prepare(const char* sql) { return SqliteStatement(*this, sql); }
    void Exec(const char* sql);
    int64_t LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
    int Changes() const { return sqlite3_changes(m_db); }

private:
    friend class SqliteStatement;

    void CreateSchema();
    bool HasColumn(const std::string& table, const std::string& column);
    // Compiling a statement costs more than running most of ours: each SQL text is compiled once and its
    // statements kept for the next use.
    sqlite3_stmt* Borrow(const char* sql);
    void GiveBack(sqlite3_stmt* stmt);

    sqlite3* m_db = nullptr;
    std::recursive_mutex m_mutex;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> m_idle;
};

// When a commit is on the disk.
enum class Durability {
    Synced,    // when Commit() returns
    Deferred,  // with a later synced commit; a crash of the machine (not of the process) may undo it
};

// Commits on Commit(), rolls back when left without it (an exception or an early return).
class SqliteTransaction final {
public:
    explicit SqliteTransaction(SqliteDb& db, Durability durability = Durability::Synced);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDb& m_db;
    std::unique_lock<std::recursive_mutex> m_lock;
    Durability m_durability;
    bool m_done = false;
};

}  // namespace nimbra::service
