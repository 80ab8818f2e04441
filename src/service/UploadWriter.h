#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/SequentialFile.h"
#include "io/WriteBehind.h"
#include "service/Digest.h"

namespace nimbra::service {

// Appends one request body to an upload's content file. Bytes past the confirmed offset left by an
// interrupted earlier attempt are cut off first; Commit() hands every new byte to the file before the offset
// that counts them may be recorded. It does not wait for the disk: an upload is synced once, when it
// finishes, and a restart counts only what reached the disk (UploadRecovery).
// Blocks after the first end on aligned offsets, so that the file writes them around the page cache.
class UploadWriter final {
public:
    // `hash` continues the whole-file SHA-1 when it covers exactly the confirmed bytes.
    UploadWriter(const std::filesystem::path& path, int64_t confirmedOffset, std::optional<FileSha1> hash);
    ~UploadWriter();
    UploadWriter(const UploadWriter&) = delete;
    UploadWriter& operator=(const UploadWriter&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Append(const char* data, size_t size);
    bool Commit();
    // Drops everything appended since construction.
    void Discard();

    int64_t Offset() const { return m_offset; }
    const std::optional<FileSha1>& Hash() const { return m_hash; }

private:
    using Block = io::WriteBehind::Block;

    void HashBlock(const Block& block);
    // Writes one block at the end of what is in the file.
    bool WriteBlock(const Block& block);
    // Blocks past the first are hashed and written on threads of their own; small bodies never start them.
    bool SubmitFull();
    bool Settle();

    int m_fd = -1;
    int64_t m_startOffset;
    int64_t m_offset;
    std::optional<io::SequentialFile> m_file;  // while the workers run, only the writing one touches this
    std::optional<FileSha1> m_hash;            // while the workers run, only the hashing one touches this
    Block m_buffer;
    std::unique_ptr<io::WriteBehind> m_behind;
    std::atomic<bool> m_failed{false};  // set by the worker too
};

}  // namespace nimbra::service
