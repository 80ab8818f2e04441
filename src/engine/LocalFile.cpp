#include "engine/LocalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace nimbra::engine {
namespace {

FileFingerprint FromStat(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileFingerprint> LocalFile::Fingerprint(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return FromStat(st);
}

LocalFile::LocalFile(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (m_fd >= 0) {
        posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
}

LocalFile::~LocalFile() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

LocalFile::LocalFile(LocalFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

LocalFile& LocalFile::operator=(LocalFile&& other) noexcept {
    std::swap(m_fd, other.m_fd);
    return *this;
}

bool LocalFile::Matches(const FileFingerprint& expected) const {
    struct stat st {};
    return m_fd >= 0 && fstat(m_fd, &st) == 0 && FromStat(st) == expected;
}

}  // namespace nimbra::engine
