#include "service/CatalogStore.h"

#include <ctime>

namespace nimbra::service {

namespace {

constexpr const char* kFileColumns =
    "id, account_id, catalog_id, name, size, tag, description, app_type, complex_flag, complex_cid, sha1, "
    "has_thumbnail, thumbnail_bytes";

FileRow ReadFile(const SqliteStatement& stmt) {
    FileRow row;
    row.id = stmt.Int(0);
    row.accountId = stmt.Int(1);
    row.catalogId = stmt.Int(2);
    row.name = stmt.Text(3);
    row.size = stmt.Int(4);
    row.tag = stmt.Text(5);
    row.description = stmt.Text(6);
    row.appType = stmt.Int(7);
    row.complexFlag = stmt.Int(8);
    row.complexCid = stmt.Text(9);
    row.sha1 = stmt.Text(10);
    row.hasThumbnail = stmt.Int(11) != 0;
    row.thumbnailBytes = stmt.Int(12);
    return row;
}

}  // namespace

std::vector<CatalogRow> CatalogStore::List(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt =
        m_db.Prepare("SELECT id, parent_id, name, is_shared FROM catalogs WHERE account_id = ? ORDER BY id");
    stmt.Bind(1, accountId);
    std::vector<CatalogRow> rows;
    while (stmt.Step())
        rows.push_back({stmt.Int(0), stmt.Int(1), stmt.Text(2), stmt.Int(3) != 0});
    return rows;
}

bool CatalogStore::Exists(int64_t accountId, int64_t catalogId) {
    if (catalogId == kTopCatalog)
        return true;
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT 1 FROM catalogs WHERE account_id = ? AND id = ?");
    stmt.Bind(1, accountId).Bind(2, catalogId);
    return stmt.Step();
}

std::optional<int64_t> CatalogStore::FindChild(int64_t accountId, int64_t parentId, const std::string& name) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT id FROM catalogs WHERE account_id = ? AND parent_id = ? AND name = ?");
    stmt.Bind(1, accountId).Bind(2, parentId).Bind(3, name);
    if (!stmt.Step())
        return std::nullopt;
    return stmt.Int(0);
}

int64_t CatalogStore::Create(int64_t accountId, int64_t parentId, const std::string& name, bool& existed) {
    auto lock = m_db.Lock();
    if (auto id = FindChild(accountId, parentId, name)) {
        existed = true;
        return *id;
    }
    existed = false;
    m_db.Prepare("INSERT INTO catalogs(account_id, parent_id, name) VALUES(?,?,?)")
        .Bind(1, accountId)
        .Bind(2, parentId)
        .Bind(3, name)
        .Run();
    return m_db.LastInsertId();
}

int64_t CatalogStore::AddFile(const FileRow& file) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        "INSERT INTO files(account_id, catalog_id, name, size, tag, description, app_type, complex_flag, "
        "complex_cid, sha1, has_thumbnail, thumbnail_bytes, created_at, id) "
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    stmt.Bind(1, file.accountId)
        .Bind(2, file.catalogId)
        .Bind(3, file.name)
        .Bind(4, file.size)
        .Bind(5, file.tag)
        .Bind(6, file.description)
        .Bind(7, file.appType)
        .Bind(8, file.complexFlag)
        .Bind(9, file.complexCid)
        .Bind(10, file.sha1)
        .Bind(11, int64_t{file.hasThumbnail})
        .Bind(12, file.thumbnailBytes)
        .Bind(13, static_cast<int64_t>(std::time(nullptr)));
    if (file.id != 0)
        stmt.Bind(14, file.id);
    else
        stmt.BindNull(14);
    stmt.Run();
    return m_db.LastInsertId();
}

int64_t CatalogStore::NextFileId() {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT COALESCE(MAX(id), 0) + 1 FROM files");
    stmt.Step();
    return stmt.Int(0);
}

std::optional<FileRow> CatalogStore::FindFile(int64_t accountId, int64_t fileId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        (std::string("SELECT ") + kFileColumns + " FROM files WHERE account_id = ? AND id = ?").c_str());
    stmt.Bind(1, accountId).Bind(2, fileId);
    if (!stmt.Step())
        return std::nullopt;
    return ReadFile(stmt);
}

std::vector<FileRow> CatalogStore::Files(int64_t accountId, int64_t catalogId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare((std::string("SELECT ") + kFileColumns +
                              " FROM files WHERE account_id = ? AND catalog_id = ? ORDER BY id")
                                 .c_str());
    stmt.Bind(1, accountId).Bind(2, catalogId);
    std::vector<FileRow> rows;
    while (stmt.Step())
        rows.push_back(ReadFile(stmt));
    return rows;
}

void CatalogStore::SetFileThumbnail(int64_t fileId, int64_t bytes) {
    auto lock = m_db.Lock();
    m_db.Prepare("UPDATE files SET has_thumbnail = 1, thumbnail_bytes = ? WHERE id = ?")
        .Bind(1, bytes)
        .Bind(2, fileId)
        .Run();
}

std::vector<int64_t> CatalogStore::FilesWithUncountedThumbnails() {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT id FROM files WHERE has_thumbnail = 1 AND thumbnail_bytes = 0");
    std::vector<int64_t> ids;
    while (stmt.Step())
        ids.push_back(stmt.Int(0));
    return ids;
}

int64_t CatalogStore::UsedBytes(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT used_bytes FROM accounts WHERE id = ?");
    stmt.Bind(1, accountId);
    return stmt.Step() ? stmt.Int(0) : 0;
}

}  // namespace nimbra::service
