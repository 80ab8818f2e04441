#pragma once
// The entries of a zip archive as the unpacker takes them, read from its central directory through
// minizip, with the archive's bounds checked before anything is written.

#include <minizip/unzip.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

struct UnzipLimits {
    uint64_t maxBytes = uint64_t{256} << 20;  // all files together, as declared and as produced
    uint64_t maxEntries = 20000;              // entries of every kind, skipped ones included
};

struct ZipFileEntry {
    std::string path;  // below the target folder, in the file system's bytes
    unz64_file_pos position{};
    uint64_t compressedSize = 0;
    uint64_t size = 0;  // as declared; the unpacker holds the bytes to it
    uint32_t crc = 0;
    int method = 0;  // Z_DEFLATED or 0 (stored)
    std::time_t modified = 0;
};

struct SkippedZipEntry {
    std::string name;  // as stored, in the file system's bytes
    const char* reason;
};

class CZipCatalog final {
public:
    // Reads every entry of the open archive. False, with the reason, when the archive is refused whole:
    // an unreadable directory, too many entries, more bytes than the limit or than freeBytes, an encrypted
    // entry, a compression other than stored or deflated, or a name that is both a file and a folder.
    // Unsafe names, links and special files are skipped (see Skipped); of two files with one name the
    // later one counts.
    bool Read(unzFile zip, const UnzipLimits& limits, uint64_t freeBytes, std::string& error);

    const std::vector<ZipFileEntry>& Files() const { return m_files; }
    // Every folder the files need and every folder entry; a parent comes before its children.
    const std::set<std::string>& Folders() const { return m_folders; }
    // The time stamps of the folders the archive names itself.
    const std::map<std::string, std::time_t>& FolderTimes() const { return m_folderTimes; }
    // The first segments of every path: what the unpacking puts into the target folder.
    std::set<std::string> TopLevelNames() const;
    const std::vector<SkippedZipEntry>& Skipped() const { return m_skipped; }
    uint64_t TotalBytes() const { return m_totalBytes; }

private:
    bool Take(const unz_file_info64& info, const std::string& storedName, const unz64_file_pos& position,
              std::string& error);
    void AddFolderWithParents(const std::string& path, bool withItself);
    void AddFile(ZipFileEntry entry);
    bool CheckBounds(const UnzipLimits& limits, uint64_t freeBytes, std::string& error);
    bool CheckFileFolderClash(std::string& error) const;

    std::vector<ZipFileEntry> m_files;
    std::map<std::string, size_t> m_fileIndex;
    std::set<std::string> m_folders;
    std::map<std::string, std::time_t> m_folderTimes;
    std::vector<SkippedZipEntry> m_skipped;
    uint64_t m_totalBytes = 0;
};
