#include "service/UploadWriter.h"

#include <fcntl.h>
#include <unistd.h>

namespace nimbra::service {

namespace {

constexpr size_t kBufferBytes = 1 << 20;
// Written-back ranges start this often, so that the sync when the upload finishes has little left to do.
constexpr int64_t kWritebackBytes = int64_t{8} << 20;

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
}

UploadWriter::~UploadWriter() {
    m_behind.reset();  // joins the worker before the file closes
    if (m_fd >= 0)
        close(m_fd);
}

bool UploadWriter::Append(const char* data, size_t size) {
    if (m_failed || m_fd < 0 || (m_behind && m_behind->Failed()))
        return false;
    while (size > 0) {
        const size_t take = std::min(size, kBufferBytes - m_buffer.size());
        m_buffer.insert(m_buffer.end(), data, data + take);
        data += take;
        size -= take;
        m_offset += static_cast<int64_t>(take);
        if (m_buffer.size() == kBufferBytes && !SubmitFull())
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

void UploadWriter::HashBlock(const std::vector<char>& block) {
    if (m_hash)
        m_hash->Update(block.data(), block.size());
}

bool UploadWriter::WriteBlock(const std::vector<char>& block) {
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = pwrite(m_fd, block.data() + done, block.size() - done, m_written);
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
