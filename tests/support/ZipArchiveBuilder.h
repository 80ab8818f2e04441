#pragma once
// Writes zip archives entry by entry with minizip's writer, also ones no honest tool writes (sizes and
// CRCs that lie, link entries, names that climb out), for the unpacking tests and benchmarks. Names and
// paths are in the file system's bytes.

#include <minizip/zip.h>

#include <cstdint>
#include <ctime>
#include <string>

class ZipArchiveBuilder {
public:
    explicit ZipArchiveBuilder(const std::string& path);
    ~ZipArchiveBuilder();
    ZipArchiveBuilder(const ZipArchiveBuilder&) = delete;
    ZipArchiveBuilder& operator=(const ZipArchiveBuilder&) = delete;

    // A file entry, deflated (or stored with method 0), stamped with the given local time (0: now).
    bool File(const std::string& name, const std::string& content, std::time_t modified = 0,
              int method = Z_DEFLATED);
    bool Folder(const std::string& name);
    // A Unix symbolic link entry whose data is the link's target.
    bool Link(const std::string& name, const std::string& target);
    // Deflated content under a declared size and CRC of the caller's choice.
    bool Declared(const std::string& name, const std::string& content, uint64_t declaredSize,
                  uint32_t declaredCrc);
    // Writes the directory; false when the archive could not be written.
    bool Close();

    static uint32_t Crc(const std::string& content);

private:
    zipFile m_zip;
};
