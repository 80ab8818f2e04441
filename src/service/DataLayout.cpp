#include "service/DataLayout.h"

#include <unistd.h>

#include <system_error>

namespace nimbra::service {

bool DataLayout::Prepare(std::string& error) const {
    for (const auto& dir : {m_root, m_root / "files", m_root / "uploads", StaticDir()}) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            error = "cannot create " + dir.string() + ": " + ec.message();
            return false;
        }
    }
    if (access(m_root.c_str(), W_OK) != 0) {
        error = "data folder " + m_root.string() + " is not writable";
        return false;
    }
    return true;
}

std::filesystem::path DataLayout::FileContent(int64_t fileId) const {
    return m_root / "files" / std::to_string(fileId);
}

std::filesystem::path DataLayout::FileThumbnail(int64_t fileId) const {
    return m_root / "files" / (std::to_string(fileId) + ".thumb");
}

std::filesystem::path DataLayout::UploadContent(const std::string& uploadId) const {
    return m_root / "uploads" / uploadId;
}

std::filesystem::path DataLayout::UploadThumbnail(const std::string& uploadId) const {
    return m_root / "uploads" / (uploadId + ".thumb");
}

}  // namespace nimbra::service
