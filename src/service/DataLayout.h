#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace nimbra::service {

// Where everything lives inside the data folder.
class DataLayout final {
public:
    explicit DataLayout(std::filesystem::path root) : m_root(std::move(root)) {}

    // Creates the folders; false when the data folder cannot be made or written.
    bool Prepare(std::string& error) const;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path MetaDb() const { return m_root / "meta.db"; }
    std::filesystem::path StaticDir() const { return m_root / "static"; }
    std::filesystem::path FileContent(int64_t fileId) const;
    std::filesystem::path FileThumbnail(int64_t fileId) const;
    std::filesystem::path UploadContent(const std::string& uploadId) const;
    std::filesystem::path UploadThumbnail(const std::string& uploadId) const;

private:
    std::filesystem::path m_root;
};

}  // namespace nimbra::service
