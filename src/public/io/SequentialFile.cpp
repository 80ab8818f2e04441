#include "io/SequentialFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace nimbra::io {
namespace {

// Bytes written through the cache start going to the disk this often, so that the sync when the file is
// complete has little left to do.
constexpr uint64_t kWritebackBytes = 8ull << 20;

bool Aligned(uint64_t value) {
    return value % SequentialFile::kAlign == 0;
}

}  // namespace

SequentialFile::SequentialFile(int fd, const std::filesystem::path& path, uint64_t offset)
    : m_fd(fd), m_path(path), m_offset(offset), m_writebackFrom(offset) {}

SequentialFile::~SequentialFile() {
    if (m_directFd >= 0)
        close(m_directFd);
}

bool SequentialFile::Write(const char* data, size_t size) {
    while (size > 0) {
        const bool direct =
            Aligned(m_offset) && Aligned(size) && Aligned(reinterpret_cast<uintptr_t>(data)) && DirectReady();
        const ssize_t n = pwrite(direct ? m_directFd : m_fd, data, size, static_cast<off_t>(m_offset));
        if (n < 0 && direct && errno == EINVAL) {
            // The file system takes no direct writes after all: the page cache it is.
            close(m_directFd);
            m_directFd = -1;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        m_offset += static_cast<uint64_t>(n);
        if (direct)
            m_writebackFrom = m_offset;  // nothing of it waits in the cache
    }
    if (m_offset - m_writebackFrom >= kWritebackBytes) {
        sync_file_range(m_fd, static_cast<off_t>(m_writebackFrom),
                        static_cast<off_t>(m_offset - m_writebackFrom), SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_offset;
    }
    return true;
}

bool SequentialFile::DirectReady() {
    if (!m_directTried) {
        m_directTried = true;
        m_directFd = open(m_path.c_str(), O_WRONLY | O_CLOEXEC | O_DIRECT);
    }
    return m_directFd >= 0;
}

bool SequentialFile::FillBlock(AlignedBlock& block, uint64_t blockStart, size_t blockBytes, const char*& data,
                               size_t& size) {
    const size_t limit = blockBytes - blockStart % kAlign;
    if (block.capacity() < blockBytes)
        block.reserve(blockBytes);
    const size_t take = std::min(size, limit - block.size());
    block.insert(block.end(), data, data + take);
    data += take;
    size -= take;
    return block.size() == limit;
}

void SequentialFile::MoveTo(uint64_t offset) {
    m_offset = m_writebackFrom = offset;
}

}  // namespace nimbra::io
