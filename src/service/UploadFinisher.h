#pragma once

#include "service/ServiceContext.h"
#include "service/UploadStore.h"

namespace nimbra::service {

// Turns an upload whose bytes are all confirmed into a file of its catalog.
class UploadFinisher final {
public:
    enum class Result { Done, ChecksumMismatch, Failed };

    explicit UploadFinisher(ServiceContext& context) : m_context(context) {}

    // On Done, row.fileId is set; on ChecksumMismatch the upload and its bytes are gone.
    Result Finish(UploadRow& row);
    // Stores a JPEG thumbnail for the upload, or for its file once finished; safe while Finish runs.
    bool AttachThumbnail(const std::string& uploadId, int64_t accountId, const std::string& jpeg);
    // Removes an unfinished upload with its bytes and thumbnail.
    void Discard(const UploadRow& row);

private:
    std::string WholeFileSha1(const UploadRow& row);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
