#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "service/SqliteDb.h"

namespace nimbra::service {

struct UploadRow {
    std::string id;
    int64_t accountId = 0;
    int64_t length = 0;
    int64_t offset = 0;  // bytes confirmed: on disk and synced
    int64_t catalogId = 0;
    std::string filename;
    std::string tag;
    std::string description;
    int64_t appType = 0;
    int64_t complexFlag = 0;
    std::string complexCid;
    std::string expectedSha1;  // hex, lower case; empty when the client gave none
    std::string metadata;      // the Upload-Metadata header as received, echoed on HEAD
    std::string creationKey;   // the client's key for its creation request; empty when it gave none
    std::string hashState;     // whole-file SHA-1 state after hashOffset bytes
    int64_t hashOffset = 0;
    int64_t thumbnailBytes = 0;     // of a thumbnail attached before the upload finished
    std::optional<int64_t> fileId;  // set once the upload joined its catalog

    bool Finished() const { return fileId.has_value(); }
};

// Unfinished and finished tus uploads with their confirmed offsets.
class UploadStore final {
public:
    explicit UploadStore(SqliteDb& db) : m_db(db) {}

    // False when the row's creation key already names an upload of its account.
    bool Insert(const UploadRow& row);
    std::optional<UploadRow> Find(const std::string& id, int64_t accountId);
    // The upload an account created with this key, if any (there is at most one).
    std::optional<UploadRow> FindByCreationKey(const std::string& key, int64_t accountId);
    void SaveProgress(const std::string& id, int64_t offset, const std::string& hashState,
                      int64_t hashOffset);
    void MarkFinished(const std::string& id, int64_t fileId);
    // Ids and accounts of the uploads created at or before a time (seconds since 1970).
    std::vector<std::pair<std::string, int64_t>> CreatedBefore(int64_t time);
    // Ids and confirmed offsets of the uploads that have not finished.
    std::vector<std::pair<std::string, int64_t>> UnfinishedOffsets();
    // Lowers a confirmed offset to bytes known to be on disk; a running SHA-1 saved past it is dropped, so
    // the finish reads the file back.
    void CutOffset(const std::string& id, int64_t offset);
    void SetThumbnailBytes(const std::string& id, int64_t bytes);
    void Remove(const std::string& id);
    // Bytes promised to unfinished uploads (their lengths and thumbnails): they count against the quota until
    // they finish or go.
    int64_t ReservedBytes(int64_t accountId);

private:
    SqliteDb& m_db;
};

}  // namespace nimbra::service
