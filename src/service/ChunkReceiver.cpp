#include "service/ChunkReceiver.h"

#include "service/Digest.h"
#include "service/FaultInjector.h"
#include "service/NameRules.h"
#include "service/UploadWriter.h"

namespace nimbra::service {

ChunkReceiver::Result ChunkReceiver::Receive(const httplib::Request& req,
                                             const httplib::ContentReader& reader, UploadRow& row,
                                             int64_t dropAfter) {
    std::optional<ChunkChecksum> checksum;
    if (req.has_header("Upload-Checksum")) {
        checksum = ChunkChecksum::Parse(req.get_header_value("Upload-Checksum"));
        if (!checksum)
            return Result::BadChecksumHeader;
    }
    const int64_t remaining = row.length - row.offset;
    if (const auto announced = ParseSize(req.get_header_value("Content-Length"));
        announced && *announced > remaining)
        return Result::TooLong;

    std::optional<FileSha1> hash;
    if (row.hashOffset == row.offset)
        hash = FileSha1::Restore(row.hashState);
    UploadWriter writer(m_layout.UploadContent(row.id), row.offset, std::move(hash));
    if (!writer.IsOpen())
        return Result::StorageFailed;

    int64_t received = 0;
    bool tooLong = false;
    bool dropped = false;
    bool writeFailed = false;
    const bool complete = reader([&](const char* data, size_t size) {
        size_t take = size;
        if (received + static_cast<int64_t>(size) > remaining) {
            tooLong = true;  // a chunked body that says nothing of its length in advance
            return false;
        }
        if (dropAfter >= 0 && received + static_cast<int64_t>(size) >= dropAfter) {
            take = static_cast<size_t>(dropAfter - received);
            dropped = true;
        }
        if (checksum)
            checksum->Update(data, take);
        if (!writer.Append(data, take)) {
            writeFailed = true;
            return false;
        }
        received += static_cast<int64_t>(take);
        return !dropped;
    });
    const bool whole = complete && !dropped;
    if (writeFailed || tooLong || (checksum && (!whole || !checksum->Matches()))) {
        writer.Discard();
        if (dropped)
            FaultInjector::AbortConnection(req);
        if (writeFailed)
            return Result::StorageFailed;
        if (tooLong)
            return Result::TooLong;
        return whole ? Result::ChecksumMismatch : Result::Interrupted;
    }

    // Bytes first, then the offset that counts them.
    if (!writer.Commit())
        return Result::StorageFailed;
    row.offset = writer.Offset();
    if (const auto& newHash = writer.Hash()) {
        row.hashState = newHash->SaveState();
        row.hashOffset = row.offset;
    }
    // Finishing records the final offset itself: one commit (and sync) fewer per small file.
    if (!whole || row.offset != row.length)
        m_uploads.SaveProgress(row.id, row.offset, row.hashState, row.hashOffset);
    if (dropped)
        FaultInjector::AbortConnection(req);
    return whole ? Result::Stored : Result::Interrupted;
}

}  // namespace nimbra::service
