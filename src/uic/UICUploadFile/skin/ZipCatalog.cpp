#include "uic/UICUploadFile/skin/ZipCatalog.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string_view>

#include "uic/UICUploadFile/skin/ZipEntryName.h"

namespace {

constexpr unsigned kUnixHost = 3;
constexpr uLong kEncryptedFlag = 1;
constexpr uLong kUtf8NameFlag = 1 << 11;
// A stored name is at most 65535 bytes.
constexpr size_t kNameBuffer = 65536;

// Zip time stamps are local time in the form of the old DOS date.
std::time_t DosTime(const tm_unz& date) {
    std::tm time{};
    time.tm_year = static_cast<int>(date.tm_year) - 1900;
    time.tm_mon = static_cast<int>(date.tm_mon);
    time.tm_mday = static_cast<int>(date.tm_mday);
    time.tm_hour = static_cast<int>(date.tm_hour);
    time.tm_min = static_cast<int>(date.tm_min);
    time.tm_sec = static_cast<int>(date.tm_sec);
    time.tm_isdst = -1;
    return std::mktime(&time);
}

std::string FirstSegment(const std::string& path) {
    return path.substr(0, path.find('/'));
}

}  // namespace

bool CZipCatalog::Read(unzFile zip, const UnzipLimits& limits, uint64_t freeBytes, std::string& error) {
    unz_global_info64 global{};
    if (!zip || unzGetGlobalInfo64(zip, &global) != UNZ_OK) {
        error = "not a readable zip archive";
        return false;
    }
    // The count of the end record first: refusing a huge archive costs nothing then.
    if (global.number_entry > limits.maxEntries) {
        error = "more entries than the " + std::to_string(limits.maxEntries) + " allowed";
        return false;
    }
    std::string name(kNameBuffer, '\0');
    uint64_t count = 0;
    int status = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
        if (++count > limits.maxEntries) {
            error = "more entries than the " + std::to_string(limits.maxEntries) + " allowed";
            return false;
        }
        unz_file_info64 info{};
        unz64_file_pos position{};
        if (unzGetCurrentFileInfo64(zip, &info, name.data(), kNameBuffer, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(zip, &position) != UNZ_OK) {
            error = "unreadable entry " + std::to_string(count);
            return false;
        }
        const std::string_view stored(name.data(), std::min<size_t>(info.size_filename, kNameBuffer - 1));
        if (!Take(info, ZipNameToUtf8(stored, (info.flag & kUtf8NameFlag) != 0), position, error)) {
            return false;
        }
        status = unzGoToNextFile(zip);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        error = "unreadable archive directory";
        return false;
    }
    return CheckBounds(limits, freeBytes, error) && CheckFileFolderClash(error);
}

bool CZipCatalog::Take(const unz_file_info64& info, const std::string& storedName,
                       const unz64_file_pos& position, std::string& error) {
    const ZipEntryPath target = SafeZipEntryPath(storedName);
    if (target.refusal) {
        m_skipped.push_back({storedName, target.refusal});
        return true;
    }
    const bool unixEntry = (info.version >> 8) == kUnixHost;
    const unsigned type = unixEntry ? (info.external_fa >> 16) & S_IFMT : 0;
    if (type == S_IFLNK) {
        m_skipped.push_back({storedName, "link entry"});
        return true;
    }
    if (target.folder || type == S_IFDIR) {
        AddFolderWithParents(target.path, true);
        m_folderTimes[target.path] = DosTime(info.tmu_date);
        return true;
    }
    if (type != 0 && type != S_IFREG) {
        m_skipped.push_back({storedName, "neither a file nor a folder"});
        return true;
    }
    if ((info.flag & kEncryptedFlag) != 0) {
        error = "encrypted entry " + storedName;
        return false;
    }
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
        error = "compression method " + std::to_string(info.compression_method) + " of " + storedName;
        return false;
    }
    AddFolderWithParents(target.path, false);
    AddFile({target.path, position, info.compressed_size, info.uncompressed_size,
             static_cast<uint32_t>(info.crc), static_cast<int>(info.compression_method),
             DosTime(info.tmu_date)});
    return true;
}

void CZipCatalog::AddFolderWithParents(const std::string& path, bool withItself) {
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        m_folders.insert(path.substr(0, slash));
    }
    if (withItself) {
        m_folders.insert(path);
    }
}

void CZipCatalog::AddFile(ZipFileEntry entry) {
    const auto [known, added] = m_fileIndex.emplace(entry.path, m_files.size());
    if (added) {
        m_files.push_back(std::move(entry));
    } else {
        m_files[known->second] = std::move(entry);
    }
}

bool CZipCatalog::CheckBounds(const UnzipLimits& limits, uint64_t freeBytes, std::string& error) {
    m_totalBytes = 0;
    for (const ZipFileEntry& file : m_files) {
        // Saturates: declared sizes are the archive's word and may add up past 64 bits.
        m_totalBytes = file.size > std::numeric_limits<uint64_t>::max() - m_totalBytes
                           ? std::numeric_limits<uint64_t>::max()
                           : m_totalBytes + file.size;
    }
    if (m_totalBytes > limits.maxBytes) {
        error = "the files declare " + std::to_string(m_totalBytes) + " bytes, more than the " +
                std::to_string(limits.maxBytes) + " allowed";
        return false;
    }
    if (m_totalBytes > freeBytes) {
        error = "the files declare " + std::to_string(m_totalBytes) + " bytes, more than the " +
                std::to_string(freeBytes) + " free";
        return false;
    }
    return true;
}

bool CZipCatalog::CheckFileFolderClash(std::string& error) const {
    for (const ZipFileEntry& file : m_files) {
        if (m_folders.count(file.path) != 0) {
            error = "both a file and a folder: " + file.path;
            return false;
        }
    }
    return true;
}

std::set<std::string> CZipCatalog::TopLevelNames() const {
    std::set<std::string> names;
    for (const ZipFileEntry& file : m_files) {
        names.insert(FirstSegment(file.path));
    }
    for (const std::string& folder : m_folders) {
        names.insert(FirstSegment(folder));
    }
    return names;
}
