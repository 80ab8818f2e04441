#include "engine/TaskStore.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace nimbra::engine {
namespace {

constexpr const char* kColumns =
    "id, kind, state, error_code, started, local_path, display_name, size, confirmed_offset, source_size, "
    "source_mtime_ns, description, complex_flag, complex_cid, app_type, parent_catalog_id, "
    "new_catalog_name, tag, miniature_path, miniature_size, thumbnail_copy, thumbnail_sent, endpoint_url, "
    "upload_url, remote_url, remote_file_id, remote_tag, creation_key";

class Statement final {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
            throw ComError(E_FAIL, sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* Get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "sqlite error";
        sqlite3_free(message);
        throw ComError(E_FAIL, text);
    }
}

std::string Text(sqlite3_stmt* s, int column) {
    const auto* text = sqlite3_column_text(s, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

void BindText(sqlite3_stmt* s, int index, const std::string& value) {
    sqlite3_bind_text(s, index, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void BindRecord(sqlite3_stmt* s, const TaskRecord& r) {
    int i = 1;
    sqlite3_bind_int(s, i++, r.id);
    sqlite3_bind_int(s, i++, static_cast<int>(r.kind));
    sqlite3_bind_int(s, i++, r.state);
    sqlite3_bind_int(s, i++, r.errorCode);
    sqlite3_bind_int(s, i++, r.started ? 1 : 0);
    BindText(s, i++, r.localPath);
    BindText(s, i++, r.displayName);
    sqlite3_bind_int64(s, i++, static_cast<sqlite3_int64>(r.size));
    sqlite3_bind_int64(s, i++, static_cast<sqlite3_int64>(r.offset));
    sqlite3_bind_int64(s, i++, static_cast<sqlite3_int64>(r.sourceSize));
    sqlite3_bind_int64(s, i++, r.sourceMtimeNs);
    BindText(s, i++, r.description);
    sqlite3_bind_int(s, i++, r.complexFlag ? 1 : 0);
    BindText(s, i++, r.complexCid);
    BindText(s, i++, r.appType);
    BindText(s, i++, r.parentCatalogId);
    BindText(s, i++, r.newCatalogName);
    BindText(s, i++, r.tag);
    BindText(s, i++, r.miniaturePath);
    sqlite3_bind_int64(s, i++, static_cast<sqlite3_int64>(r.miniatureSize));
    BindText(s, i++, r.thumbnailCopy);
    sqlite3_bind_int(s, i++, r.thumbnailSent ? 1 : 0);
    BindText(s, i++, r.endpointUrl);
    BindText(s, i++, r.uploadUrl);
    BindText(s, i++, r.remoteUrl);
    BindText(s, i++, r.remoteFileId);
    BindText(s, i++, r.remoteTag);
    BindText(s, i++, r.creationKey);
}

TaskRecord ReadRecord(sqlite3_stmt* s) {
    TaskRecord r;
    int i = 0;
    r.id = sqlite3_column_int(s, i++);
    r.kind = static_cast<TaskKind>(sqlite3_column_int(s, i++));
    r.state = static_cast<OrvULD::ORV_UPLOAD_SESSION_STATE>(sqlite3_column_int(s, i++));
    r.errorCode = sqlite3_column_int(s, i++);
    r.started = sqlite3_column_int(s, i++) != 0;
    r.localPath = Text(s, i++);
    r.displayName = Text(s, i++);
    r.size = static_cast<uint64_t>(sqlite3_column_int64(s, i++));
    r.offset = static_cast<uint64_t>(sqlite3_column_int64(s, i++));
    r.sourceSize = static_cast<uint64_t>(sqlite3_column_int64(s, i++));
    r.sourceMtimeNs = sqlite3_column_int64(s, i++);
    r.description = Text(s, i++);
    r.complexFlag = sqlite3_column_int(s, i++) != 0;
    r.complexCid = Text(s, i++);
    r.appType = Text(s, i++);
    r.parentCatalogId = Text(s, i++);
    r.newCatalogName = Text(s, i++);
    r.tag = Text(s, i++);
    r.miniaturePath = Text(s, i++);
    r.miniatureSize = static_cast<uint64_t>(sqlite3_column_int64(s, i++));
    r.thumbnailCopy = Text(s, i++);
    r.thumbnailSent = sqlite3_column_int(s, i++) != 0;
    r.endpointUrl = Text(s, i++);
    r.uploadUrl = Text(s, i++);
    r.remoteUrl = Text(s, i++);
    r.remoteFileId = Text(s, i++);
    r.remoteTag = Text(s, i++);
    r.creationKey = Text(s, i++);
    return r;
}

}  // namespace

TaskStore::TaskStore(const std::string& path) : m_path(path) {
    std::error_code ec;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            throw ComError(HRESULT_FROM_ERRNO(ec.value()), "cannot create " + folder.string());
        }
    }
    if (sqlite3_open_v2(path.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        std::string message = m_db ? sqlite3_errmsg(m_db) : "cannot open database";
        sqlite3_close(m_db);
        throw ComError(E_FAIL, message);
    }
    try {
        sqlite3_busy_timeout(m_db, 5000);
        Execute(m_db, "PRAGMA journal_mode=WAL");
        // WAL with NORMAL sync survives a process kill; only a power cut may lose the last batch.
        Execute(m_db, "PRAGMA synchronous=NORMAL");
        CreateSchema();
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
    m_writer = std::thread([this] { WriterLoop(); });
}

TaskStore::~TaskStore() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_writer.join();
    sqlite3_close(m_db);
}

void TaskStore::CreateSchema() {
    Statement version(m_db, "PRAGMA user_version");
    const int found = sqlite3_step(version.Get()) == SQLITE_ROW ? sqlite3_column_int(version.Get(), 0) : 0;
    if (found > kSchemaVersion) {
        throw ComError(E_FAIL, "task database written by a newer engine");
    }
    if (found == kSchemaVersion) {
        return;
    }
    Execute(m_db, "BEGIN");
    if (found < 1) {
        Execute(m_db,
                "CREATE TABLE tasks ("
                "id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, state INTEGER NOT NULL, error_code INTEGER "
                "NOT NULL,"
                "started INTEGER NOT NULL, local_path TEXT NOT NULL, display_name TEXT NOT NULL,"
                "size INTEGER NOT NULL, confirmed_offset INTEGER NOT NULL, source_size INTEGER NOT NULL,"
                "source_mtime_ns INTEGER NOT NULL, description TEXT NOT NULL,"
                "complex_flag INTEGER NOT NULL, complex_cid TEXT NOT NULL, app_type TEXT NOT NULL,"
                "parent_catalog_id TEXT NOT NULL, new_catalog_name TEXT NOT NULL, tag TEXT NOT NULL,"
                "miniature_path TEXT NOT NULL, miniature_size INTEGER NOT NULL, thumbnail_copy TEXT NOT NULL,"
                "thumbnail_sent INTEGER NOT NULL, endpoint_url TEXT NOT NULL, upload_url TEXT NOT NULL,"
                "remote_url TEXT NOT NULL, remote_file_id TEXT NOT NULL)");
    }
    if (found == 1) {
        // Version 1 kept a whole-file SHA-1 that uploads no longer compute.
        Execute(m_db, "ALTER TABLE tasks DROP COLUMN sha1");
    }
    if (found < 3) {
        Execute(m_db, "CREATE TABLE terminations (upload_url TEXT PRIMARY KEY)");
    }
    if (found < 4) {
        Execute(m_db, "ALTER TABLE tasks ADD COLUMN remote_tag TEXT NOT NULL DEFAULT ''");
    }
    if (found < 5) {
        Execute(m_db, "ALTER TABLE tasks ADD COLUMN creation_key TEXT NOT NULL DEFAULT ''");
    }
    Execute(m_db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    Execute(m_db, "COMMIT");
}

std::vector<TaskRecord> TaskStore::LoadAll() {
    Flush();
    Statement select(m_db, std::string("SELECT ") + kColumns + " FROM tasks ORDER BY id");
    std::vector<TaskRecord> records;
    while (sqlite3_step(select.Get()) == SQLITE_ROW) {
        records.push_back(ReadRecord(select.Get()));
    }
    return records;
}

void TaskStore::Put(const TaskRecord& record) {
    {
        std::lock_guard lock(m_mutex);
        m_pending.tasks[record.id] = record;
    }
    m_wake.notify_one();
}

void TaskStore::Erase(int32_t id) {
    {
        std::lock_guard lock(m_mutex);
        m_pending.tasks[id] = std::nullopt;
    }
    m_wake.notify_one();
}

void TaskStore::AddTermination(const std::string& uploadUrl) {
    {
        std::lock_guard lock(m_mutex);
        m_pending.terminations[uploadUrl] = true;
    }
    m_wake.notify_one();
}

void TaskStore::ForgetTermination(const std::string& uploadUrl) {
    {
        std::lock_guard lock(m_mutex);
        m_pending.terminations[uploadUrl] = false;
    }
    m_wake.notify_one();
}

std::vector<std::string> TaskStore::LoadTerminations() {
    Flush();
    Statement select(m_db, "SELECT upload_url FROM terminations ORDER BY rowid");
    std::vector<std::string> urls;
    while (sqlite3_step(select.Get()) == SQLITE_ROW) {
        urls.push_back(Text(select.Get(), 0));
    }
    return urls;
}

void TaskStore::Flush() {
    std::unique_lock lock(m_mutex);
    if (m_pending.Empty() && m_committedBatches == m_queuedBatches) {
        return;
    }
    const uint64_t target = m_queuedBatches + (m_pending.Empty() ? 0 : 1);
    m_wake.notify_one();
    m_committed.wait(lock, [&] { return m_committedBatches >= target; });
}

void TaskStore::WriterLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || !m_pending.Empty(); });
        if (m_pending.Empty()) {
            return;  // stopping with nothing left to write
        }
        const Batch batch = std::exchange(m_pending, {});
        ++m_queuedBatches;
        lock.unlock();
        try {
            Commit(batch);
        } catch (const ComError&) {
            // A failed batch is rolled back as a whole; the next write of each task stores it again.
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        lock.lock();
        ++m_committedBatches;
        m_committed.notify_all();
    }
}

void TaskStore::Commit(const Batch& batch) {
    static const std::string insert = std::string("INSERT OR REPLACE INTO tasks (") + kColumns +
                                      ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    Execute(m_db, "BEGIN");
    Statement put(m_db, insert);
    Statement erase(m_db, "DELETE FROM tasks WHERE id=?");
    for (const auto& [id, record] : batch.tasks) {
        sqlite3_stmt* s = record ? put.Get() : erase.Get();
        if (record) {
            BindRecord(s, *record);
        } else {
            sqlite3_bind_int(s, 1, id);
        }
        sqlite3_step(s);
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    Statement add(m_db, "INSERT OR IGNORE INTO terminations (upload_url) VALUES (?)");
    Statement forget(m_db, "DELETE FROM terminations WHERE upload_url=?");
    for (const auto& [url, pending] : batch.terminations) {
        sqlite3_stmt* s = pending ? add.Get() : forget.Get();
        BindText(s, 1, url);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    Execute(m_db, "COMMIT");
}

}  // namespace nimbra::engine
