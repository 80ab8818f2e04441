#pragma once
// A local file opened for reading, with the size and modification time that identify its content.

#include <cstdint>
#include <optional>
#include <string>

namespace nimbra::engine {

struct FileFingerprint {
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileFingerprint&) const = default;
};

class LocalFile final {
public:
    // Size and modification time of a regular file; nullopt when it is missing or not a regular file.
    static std::optional<FileFingerprint> Fingerprint(const std::string& path);

    LocalFile() = default;
    explicit LocalFile(const std::string& path);
    ~LocalFile();
    LocalFile(LocalFile&& other) noexcept;
    LocalFile& operator=(LocalFile&& other) noexcept;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // True while the open file still has the expected size and modification time.
    bool Matches(const FileFingerprint& expected) const;

private:
    int m_fd = -1;
};

}  // namespace nimbra::engine
