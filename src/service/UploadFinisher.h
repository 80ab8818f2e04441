#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/GroupCommit.h"
#include "service/ServiceContext.h"
#include "service/UploadStore.h"

namespace nimbra::service {

// Turns an upload whose bytes are all confirmed into a file of its catalog.
class UploadFinisher final {
public:
    enum class Result { Done, ChecksumMismatch, Failed };
    enum class Attached { Yes, NoSpace, UploadGone, Failed };

    explicit UploadFinisher(ServiceContext& context);

    // On Done, row.fileId is set and the file and its catalog entry are on disk; on ChecksumMismatch the
    // upload and its bytes are gone. Uploads that finish at the same time share their syncs and one commit.
    Result Finish(UploadRow& row);
    // Stores a JPEG thumbnail for the upload, or for its file once finished, when the account has the
    // space for it (a picture it replaces gives its bytes back). The caller holds the upload's lock.
    Attached AttachThumbnail(const std::string& uploadId, int64_t accountId, const std::string& jpeg);
    // Removes an unfinished upload with its bytes and thumbnail.
    void Discard(const std::string& uploadId);

private:
    struct Finishing {
        UploadRow& row;
        FileRow file;
        bool placed = false;  // in the files folder, on disk
        std::optional<int64_t> fileId;
    };

    // Moves the files of a batch to their places and syncs them.
    void Place(const std::vector<Finishing*>& batch);
    // Brings the bytes and names of files placed in the files folder to the disk.
    bool SyncContents(const std::vector<Finishing*>& placed);
    // Files placed files in their catalogs, in one transaction.
    void RecordPlaced(const std::vector<Finishing*>& batch);
    void Record(const std::vector<Finishing*>& placed);
    // Returns placed files to their uploads.
    void PutBack(const std::vector<Finishing*>& placed);
    std::string WholeFileSha1(const UploadRow& row);

    ServiceContext& m_context;
    // Ids are given out before the catalog entries are made; only the placing batch running touches this.
    int64_t m_nextFileId = 0;
    GroupCommit<Finishing> m_placing;
    GroupCommit<Finishing> m_recording;
};

}  // namespace nimbra::service
