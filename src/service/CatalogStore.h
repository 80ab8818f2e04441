#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/SqliteDb.h"

namespace nimbra::service {

// Catalog 0 is the top catalog of every account ("root" on the wire).
inline constexpr int64_t kTopCatalog = 0;

struct CatalogRow {
    int64_t id = 0;
    int64_t parentId = 0;
    std::string name;
    bool isShared = false;
};

struct FileRow {
    int64_t id = 0;
    int64_t accountId = 0;
    int64_t catalogId = 0;
    std::string name;
    int64_t size = 0;
    std::string tag;
    std::string description;
    int64_t appType = 0;
    int64_t complexFlag = 0;
    std::string complexCid;
    std::string sha1;
    bool hasThumbnail = false;
    int64_t thumbnailBytes = 0;
};

// The catalog tree and the files of each account.
class CatalogStore final {
public:
    explicit CatalogStore(SqliteDb& db) : m_db(db) {}

    // Parents come before their children (a child is always created after its parent).
    std::vector<CatalogRow> List(int64_t accountId);
    bool Exists(int64_t accountId, int64_t catalogId);
    std::optional<int64_t> FindChild(int64_t accountId, int64_t parentId, const std::string& name);
    // Creates the catalog; `existed` tells that the parent already held one of that name (its id is
    // returned).
    int64_t Create(int64_t accountId, int64_t parentId, const std::string& name, bool& existed);

    // Adds the file under file.id, or under a new id when that is 0; returns the id.
    int64_t AddFile(const FileRow& file);
    // An id above every file's.
    int64_t NextFileId();
    std::optional<FileRow> FindFile(int64_t accountId, int64_t fileId);
    std::vector<FileRow> Files(int64_t accountId, int64_t catalogId);
    void SetFileThumbnail(int64_t fileId, int64_t bytes);
    // Files whose thumbnail was stored before thumbnails were counted against the quota.
    std::vector<int64_t> FilesWithUncountedThumbnails();
    // Bytes of the account's files and their thumbnails.
    int64_t UsedBytes(int64_t accountId);

private:
    SqliteDb& m_db;
};

}  // namespace nimbra::service
