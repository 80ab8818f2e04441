#include "service/UploadWriter.h"

#include <fcntl.h>
#include <unistd.h>

namespace nimbra::service {

namespace {

constexpr size_t kBufferBytes = 1 << 20;

}  // namespace

UploadWriter::UploadWriter(const std::filesystem::path& path, int64_t confirmedOffset,
                           std::optional<FileSha1> hash)
    : m_startOffset(confirmedOffset), m_offset(confirmedOffset), m_hash(std::move(hash)) {
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && ftruncate(m_fd, confirmedOffset) != 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (m_fd >= 0)
        m_file.emplace(m_fd, path, static_cast<uint64_t>(confirmedOffset));
}

UploadWriter::~UploadWriter() {
    m_behind.reset();  // joins the worker before the file closes
    m_file.reset();
    if (m_fd >= 0)
        close(m_fd);
}

bool UploadWriter::Append(const char* data, size_t size) {
    if (m_failed || m_fd < 0 || (m_behind && m_behind->Failed()))
        return false;
    while (size > 0) {
        const size_t before = size;
        const bool full = io::SequentialFile::FillBlock(
            m_buffer, static_cast<uint64_t>(m_offset) - m_buffer.size(), kBufferBytes, data, size);
        m_offset += static_cast<int64_t>(before - size);
        if (full && !SubmitFull())
            return false;
    }
    return true;
}

bool UploadWriter::SubmitFull() {
    if (!m_behind) {
        // The first full block is written here; a body that goes on gets the worker.
        if (m_file->Offset() == static_cast<uint64_t>(m_startOffset)) {
            HashBlock(m_buffer);
            const bool written = WriteBlock(m_buffer);
            m_buffer.clear();
            return written;
        }
        m_behind = std::make_unique<io::WriteBehind>(
            std::vector<io::WriteBehind::Stage>{[this](const Block& block) {
                                                    HashBlock(block);
                                                    return true;
                                                },
                                                [this](const Block& block) { return WriteBlock(block); }});
    }
    m_buffer = m_behind->Submit(std::move(m_buffer));
    return !m_behind->Failed();
}

void UploadWriter::HashBlock(const Block& block) {
    if (m_hash)
        m_hash->Update(block.data(), block.size());
}

bool UploadWriter::WriteBlock(const Block& block) {
    if (!m_file->Write(block.data(), block.size())) {
        m_failed = true;
        return false;
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
    m_offset = m_startOffset;
    if (m_file)
        m_file->MoveTo(static_cast<uint64_t>(m_startOffset));
    m_hash.reset();
}

}  // namespace nimbra::service
