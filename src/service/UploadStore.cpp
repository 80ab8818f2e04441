#include "service/UploadStore.h"

#include <ctime>

namespace nimbra::service {

bool UploadStore::Insert(const UploadRow& row) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        "INSERT INTO uploads(id, account_id, length, offset, catalog_id, filename, tag, description, "
        "app_type, "
        "complex_flag, complex_cid, expected_sha1, metadata, hash_state, hash_offset, created_at, "
        "creation_key) "
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT DO NOTHING");
    stmt.Bind(1, row.id)
        .Bind(2, row.accountId)
        .Bind(3, row.length)
        .Bind(4, row.offset)
        .Bind(5, row.catalogId)
        .Bind(6, row.filename)
        .Bind(7, row.tag)
        .Bind(8, row.description)
        .Bind(9, row.appType)
        .Bind(10, row.complexFlag)
        .Bind(11, row.complexCid)
        .Bind(12, row.expectedSha1)
        .Bind(13, row.metadata)
        .BindBlob(14, row.hashState.data(), row.hashState.size())
        .Bind(15, row.hashOffset)
        .Bind(16, static_cast<int64_t>(std::time(nullptr)))
        .Bind(17, row.creationKey)
        .Run();
    return m_db.Changes() == 1;
}

namespace {

constexpr const char* kUploadColumns =
    "id, account_id, length, offset, catalog_id, filename, tag, description, app_type, complex_flag, "
    "complex_cid, expected_sha1, metadata, hash_state, hash_offset, file_id, creation_key, thumbnail_bytes";

UploadRow ReadUpload(const SqliteStatement& stmt) {
    UploadRow row;
    row.id = stmt.Text(0);
    row.accountId = stmt.Int(1);
    row.length = stmt.Int(2);
    row.offset = stmt.Int(3);
    row.catalogId = stmt.Int(4);
    row.filename = stmt.Text(5);
    row.tag = stmt.Text(6);
    row.description = stmt.Text(7);
    row.appType = stmt.Int(8);
    row.complexFlag = stmt.Int(9);
    row.complexCid = stmt.Text(10);
    row.expectedSha1 = stmt.Text(11);
    row.metadata = stmt.Text(12);
    row.hashState = stmt.Blob(13);
    row.hashOffset = stmt.Int(14);
    if (!stmt.IsNull(15))
        row.fileId = stmt.Int(15);
    row.creationKey = stmt.Text(16);
    row.thumbnailBytes = stmt.Int(17);
    return row;
}

}  // namespace

std::optional<UploadRow> UploadStore::Find(const std::string& id, int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        (std::string("SELECT ") + kUploadColumns + " FROM uploads WHERE id = ? AND account_id = ?").c_str());
    stmt.Bind(1, id).Bind(2, accountId);
    if (!stmt.Step())
        return std::nullopt;
    return ReadUpload(stmt);
}

std::optional<UploadRow> UploadStore::FindByCreationKey(const std::string& key, int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt =
        m_db.Prepare((std::string("SELECT ") + kUploadColumns +
                      " FROM uploads WHERE account_id = ? AND creation_key = ? AND creation_key != ''")
                         .c_str());
    stmt.Bind(1, accountId).Bind(2, key);
    if (!stmt.Step())
        return std::nullopt;
    return ReadUpload(stmt);
}

void UploadStore::SaveProgress(const std::string& id, int64_t offset, const std::string& hashState,
                               int64_t hashOffset) {
    // Offsets are checked against the disk at start, so this need not wait for the disk.
    SqliteTransaction transaction(m_db, Durability::Deferred);
    m_db.Prepare("UPDATE uploads SET offset = ?, hash_state = ?, hash_offset = ? WHERE id = ?")
        .Bind(1, offset)
        .BindBlob(2, hashState.data(), hashState.size())
        .Bind(3, hashOffset)
        .Bind(4, id)
        .Run();
    transaction.Commit();
}

void UploadStore::MarkFinished(const std::string& id, int64_t fileId) {
    auto lock = m_db.Lock();
    m_db.Prepare("UPDATE uploads SET file_id = ?, offset = length WHERE id = ?")
        .Bind(1, fileId)
        .Bind(2, id)
        .Run();
}

std::vector<std::pair<std::string, int64_t>> UploadStore::CreatedBefore(int64_t time) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT id, account_id FROM uploads WHERE created_at <= ?");
    stmt.Bind(1, time);
    std::vector<std::pair<std::string, int64_t>> ids;
    while (stmt.Step())
        ids.emplace_back(stmt.Text(0), stmt.Int(1));
    return ids;
}

std::vector<std::pair<std::string, int64_t>> UploadStore::UnfinishedOffsets() {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare("SELECT id, offset FROM uploads WHERE file_id IS NULL");
    std::vector<std::pair<std::string, int64_t>> offsets;
    while (stmt.Step())
        offsets.emplace_back(stmt.Text(0), stmt.Int(1));
    return offsets;
}

void UploadStore::CutOffset(const std::string& id, int64_t offset) {
    auto lock = m_db.Lock();
    m_db.Prepare(
            "UPDATE uploads SET offset = ?1, "
            "hash_state = CASE WHEN hash_offset > ?1 THEN X'' ELSE hash_state END, "
            "hash_offset = CASE WHEN hash_offset > ?1 THEN 0 ELSE hash_offset END "
            "WHERE id = ?2 AND offset > ?1")
        .Bind(1, offset)
        .Bind(2, id)
        .Run();
}

void UploadStore::SetThumbnailBytes(const std::string& id, int64_t bytes) {
    auto lock = m_db.Lock();
    m_db.Prepare("UPDATE uploads SET thumbnail_bytes = ? WHERE id = ?").Bind(1, bytes).Bind(2, id).Run();
}

void UploadStore::Remove(const std::string& id) {
    auto lock = m_db.Lock();
    m_db.Prepare("DELETE FROM uploads WHERE id = ?").Bind(1, id).Run();
}

int64_t UploadStore::ReservedBytes(int64_t accountId) {
    auto lock = m_db.Lock();
    auto stmt = m_db.Prepare(
        "SELECT COALESCE(SUM(length + thumbnail_bytes), 0) FROM uploads WHERE account_id = ? AND "
        "file_id IS NULL");
    stmt.Bind(1, accountId);
    stmt.Step();
    return stmt.Int(0);
}

}  // namespace nimbra::service
