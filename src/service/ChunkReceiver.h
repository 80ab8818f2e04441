#pragma once

#include <cstdint>

#include "service/DataLayout.h"
#include "service/UploadStore.h"
#include "service/http/HttpExchange.h"

namespace nimbra::service {

// Appends one request body to an upload at its confirmed offset: verifies an Upload-Checksum (header or
// trailer), keeps what arrived before a lost connection (unless a checksum covers the body), and confirms
// the new offset only once the bytes are written to the file.
class ChunkReceiver final {
public:
    enum class Result {
        Stored,             // the whole body is kept
        Interrupted,        // the connection ended early; row.offset says what was kept
        BadChecksumHeader,  // unsupported algorithm or malformed value; nothing kept
        TooLong,            // the body goes past the upload's length; nothing kept
        ChecksumMismatch,   // nothing kept
        StorageFailed,      // nothing kept
    };

    ChunkReceiver(const DataLayout& layout, UploadStore& uploads) : m_layout(layout), m_uploads(uploads) {}

    // `dropAfter` >= 0 cuts the connection after that many body bytes (test hook). A body that completes
    // the upload leaves its final offset for the finisher to record.
    Result Receive(HttpExchange& exchange, UploadRow& row, int64_t dropAfter);

private:
    // Checks an Upload-Checksum trailer (required when announced) against the `received` bytes just written
    // at row.offset.
    Result VerifyTrailer(const RequestBody& body, bool announced, uint32_t crc32c, const UploadRow& row,
                         int64_t received) const;

    const DataLayout& m_layout;
    UploadStore& m_uploads;
};

}  // namespace nimbra::service
