#include "service/UploadRecovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace nimbra::service {

namespace {

// The bytes of a content file that are on the disk once this returns; 0 when it is missing.
int64_t SyncedSize(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat st {};
    const bool synced = fsync(fd) == 0 && fstat(fd, &st) == 0;
    close(fd);
    return synced ? static_cast<int64_t>(st.st_size) : 0;
}

}  // namespace

void UploadRecovery::Run() {
    for (const auto& [id, offset] : m_uploads.UnfinishedOffsets()) {
        const int64_t onDisk = std::min(offset, SyncedSize(m_layout.UploadContent(id)));
        if (onDisk < offset)
            m_uploads.CutOffset(id, onDisk);
    }
}

}  // namespace nimbra::service
