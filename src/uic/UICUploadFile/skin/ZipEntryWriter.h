#pragma once
// Writes the files of an archive into the staging folder, one after another: the entry's data read at
// its place in the archive, inflated (or copied when stored) and held to the declared size as the bytes
// come, checked against the declared CRC, and given the entry's time stamp. One writer per thread: each
// has its own minizip handle, file descriptor and buffers.

#include <minizip/unzip.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "uic/UICUploadFile/skin/ZipCatalog.h"

class CStagingFolder;

class CZipEntryWriter final {
public:
    explicit CZipEntryWriter(const std::string& archivePath);
    ~CZipEntryWriter();
    CZipEntryWriter(const CZipEntryWriter&) = delete;
    CZipEntryWriter& operator=(const CZipEntryWriter&) = delete;

    bool IsOpen() const { return m_zip && m_fd >= 0 && m_inflateReady; }
    // False, with the reason, when the entry cannot be written whole and exactly as declared.
    bool Write(const ZipFileEntry& entry, const CStagingFolder& staging, std::string& error);

private:
    bool DataOffset(const ZipFileEntry& entry, uint64_t& offset);
    bool Inflate(int out, const ZipFileEntry& entry, uint64_t offset, uLong& crc, std::string& error);
    bool Copy(int out, const ZipFileEntry& entry, uint64_t offset, uLong& crc, std::string& error);
    // Reads exactly size bytes of the archive at offset into the input buffer.
    bool ReadAt(size_t size, uint64_t offset);

    unzFile m_zip = nullptr;
    int m_fd = -1;
    z_stream m_stream{};
    bool m_inflateReady = false;
    std::vector<unsigned char> m_in;
    std::vector<unsigned char> m_out;
};
