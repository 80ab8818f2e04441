#include "service/ChunkReceiver.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "io/Crc32c.h"

#include "service/Digest.h"
#include "service/NameRules.h"
#include "service/UploadWriter.h"

namespace nimbra::service {

ChunkReceiver::Result ChunkReceiver::Receive(HttpExchange& exchange, UploadRow& row, int64_t dropAfter) {
    const HttpRequest& req = exchange.Request();
    RequestBody& body = exchange.Body();
    std::optional<ChunkChecksum> checksum;
    if (req.HasHeader("Upload-Checksum")) {
        checksum = ChunkChecksum::Parse(req.Header("Upload-Checksum"));
        if (!checksum)
            return Result::BadChecksumHeader;
    }
    // A chunked body may end with its checksum. CRC-32C (what clients send) is computed on the way, anything
    // else is read back from the file before the bytes count. Announced, it covers the body like a header.
    const bool mayHaveTrailer = !checksum && body.Chunked();
    const bool trailerAnnounced = mayHaveTrailer && body.Announces("Upload-Checksum");
    uint32_t runningCrc = 0;
    const int64_t remaining = row.length - row.offset;
    if (const auto announced = ParseSize(req.Header("Content-Length")); announced && *announced > remaining)
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
    const bool complete = body.Read([&](const char* data, size_t size) {
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
        else if (mayHaveTrailer)
            runningCrc = io::Crc32c::Extend(runningCrc, reinterpret_cast<const uint8_t*>(data), take);
        if (!writer.Append(data, take)) {
            writeFailed = true;
            return false;
        }
        received += static_cast<int64_t>(take);
        return !dropped;
    }) == RequestBody::End::Complete;
    const bool whole = complete && !dropped;
    if (writeFailed || tooLong || ((checksum || trailerAnnounced) && !whole)) {
        writer.Discard();
        if (dropped)
            exchange.Abort();
        if (writeFailed)
            return Result::StorageFailed;
        return tooLong ? Result::TooLong : Result::Interrupted;
    }

    // Bytes first, then the offset that counts them (a restarted service counts no bytes past it).
    if (!writer.Commit())
        return Result::StorageFailed;
    if (whole && (checksum || mayHaveTrailer)) {
        const Result verdict = checksum ? (checksum->Matches() ? Result::Stored : Result::ChecksumMismatch)
                                        : VerifyTrailer(body, trailerAnnounced, runningCrc, row, received);
        if (verdict != Result::Stored) {
            writer.Discard();
            return verdict;
        }
    }
    row.offset = writer.Offset();
    if (const auto& newHash = writer.Hash()) {
        row.hashState = newHash->SaveState();
        row.hashOffset = row.offset;
    }
    // Finishing records the final offset itself: one commit (and sync) fewer per small file.
    if (!whole || row.offset != row.length)
        m_uploads.SaveProgress(row.id, row.offset, row.hashState, row.hashOffset);
    if (dropped)
        exchange.Abort();
    return whole ? Result::Stored : Result::Interrupted;
}

ChunkReceiver::Result ChunkReceiver::VerifyTrailer(const RequestBody& body, bool announced, uint32_t crc32c,
                                                   const UploadRow& row, int64_t received) const {
    const std::string trailer = body.Trailer("Upload-Checksum");
    if (trailer.empty() && !announced)
        return Result::Stored;
    auto checksum = ChunkChecksum::Parse(trailer);
    if (!checksum)
        return Result::BadChecksumHeader;
    if (checksum->IsCrc32c())
        return checksum->MatchesCrc32c(crc32c) ? Result::Stored : Result::ChecksumMismatch;
    const int fd = open(m_layout.UploadContent(row.id).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result::StorageFailed;
    std::vector<char> buffer(1 << 20);
    int64_t done = 0;
    while (done < received) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(buffer.size(), received - done));
        const ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(row.offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        checksum->Update(buffer.data(), static_cast<size_t>(got));
        done += got;
    }
    close(fd);
    if (done < received)
        return Result::StorageFailed;
    return checksum->Matches() ? Result::Stored : Result::ChecksumMismatch;
}

}  // namespace nimbra::service
