#include "service/UploadWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace nimbra::service {

namespace {

constexpr size_t kBufferBytes = 1 << 20;
// Offsets, lengths and buffers of direct writes are multiples of this (a page, a multiple of any common
// logical block size).
constexpr size_t kDirectAlign = static_cast<size_t>(PageAlignedAllocator<char>::kAlignment);
// Written-back ranges start this often, so that the sync when the upload finishes has little left to do.
constexpr int64_t kWritebackBytes = int64_t{8} << 20;

bool Aligned(uint64_t value) {
    return value % kDirectAlign == 0;
}

}  // namespace

UploadWriter::UploadWriter(const std::filesystem::path& path, int64_t confirmedOffset,
                           std::optional<FileSha1> hash)
    : m_startOffset(confirmedOffset),
      m_offset(confirmedOffset),
      m_written(confirmedOffset),
      m_writebackFrom(confirmedOffset),
      m_hash(std::move(hash)) {
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ftruncate(m_fd, confirmedOffset) != 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (m_fd >= 0)
        m_directFd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_DIRECT);
}

UploadWriter::~UploadWriter() {
    m_behind.reset();  // joins the worker before the file closes
    if (m_directFd >= 0)
        close(m_directFd);
    if (m_fd >= 0)
        close(m_fd);
}

size_t UploadWriter::BlockLimit() const {
    const auto blockStart = static_cast<uint64_t>(m_offset) - m_buffer.size();
    return kBufferBytes - blockStart % kDirectAlign;
}

bool UploadWriter::Append(const char* data, size_t size) {
    if (m_failed || m_fd < 0 || (m_behind && m_behind->Failed()))
        return false;
    while (size > 0) {
        const size_t limit = BlockLimit();
        const size_t take = std::min(size, limit - m_buffer.size());
        m_buffer.insert(m_buffer.end(), data, data + take);
        data += take;
        size -= take;
        m_offset += static_cast<int64_t>(take);
        if (m_buffer.size() == limit && !SubmitFull())
            return false;
    }
    return true;
}

bool UploadWriter::SubmitFull() {
    if (!m_behind) {
        // The first full block is written here; a body that goes on gets the worker.
        if (m_written == m_startOffset) {
            HashBlock(m_buffer);
            const bool written = WriteBlock(m_buffer);
            m_buffer.clear();
            return written;
        }
        m_behind = std::make_unique<WriteBehind>(std::vector<WriteBehind::Stage>{
            [this](const WriteBehind::Block& block) {
                HashBlock(block);
                return true;
            },
            [this](const WriteBehind::Block& block) { return WriteBlock(block); }});
    }
    m_buffer = m_behind->Submit(std::move(m_buffer));
    return !m_behind->Failed();
}

void UploadWriter::HashBlock(const Block& block) {
    if (m_hash)
        m_hash->Update(block.data(), block.size());
}

bool UploadWriter::WriteBlock(const Block& block) {
    size_t done = 0;
    while (done < block.size()) {
        const char* from = block.data() + done;
        const size_t left = block.size() - done;
        const bool direct = m_directFd >= 0 && Aligned(static_cast<uint64_t>(m_written)) && Aligned(left) &&
                            Aligned(reinterpret_cast<uintptr_t>(from));
        const ssize_t n = pwrite(direct ? m_directFd : m_fd, from, left, m_written);
        if (n < 0 && direct && errno == EINVAL) {
            // The file system takes no direct writes after all: the page cache it is.
            close(m_directFd);
            m_directFd = -1;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        done += static_cast<size_t>(n);
        m_written += n;
    }
    if (m_written - m_writebackFrom >= kWritebackBytes) {
        sync_file_range(m_fd, m_writebackFrom, m_written - m_writebackFrom, SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_written;
    }
    return true;
}

bool UploadWriter::Settle() {
    const bool drained = !m_behind || m_behind->Drain();
    m_behind.reset();
    return drained && !m_failed;
}

bool UploadWriter::Commit() {
    if (m_fd < 0 || !Settle())
        return false;
    HashBlock(m_buffer);
    if (!WriteBlock(m_buffer))
        return false;
    m_buffer.clear();
    return true;
}

void UploadWriter::Discard() {
    Settle();
    m_buffer.clear();
    if (m_fd >= 0 && ftruncate(m_fd, m_startOffset) != 0)
        m_failed = true;
    m_offset = m_written = m_writebackFrom = m_startOffset;
    m_hash.reset();
}

}  // namespace nimbra::service
