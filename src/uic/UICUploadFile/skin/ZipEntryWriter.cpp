#include "uic/UICUploadFile/skin/ZipEntryWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "uic/UICUploadFile/skin/StagingFolder.h"

namespace {

constexpr size_t kBufferSize = size_t{256} << 10;

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

CZipEntryWriter::CZipEntryWriter(const std::string& archivePath)
    : m_zip(unzOpen64(archivePath.c_str())),
      m_fd(open(archivePath.c_str(), O_RDONLY | O_CLOEXEC)),
      m_in(kBufferSize),
      m_out(kBufferSize) {
    // Raw deflate: the zip entry holds the stream without zlib's header.
    m_inflateReady = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
}

CZipEntryWriter::~CZipEntryWriter() {
    if (m_inflateReady) {
        inflateEnd(&m_stream);
    }
    if (m_fd >= 0) {
        close(m_fd);
    }
    if (m_zip) {
        unzClose(m_zip);
    }
}

bool CZipEntryWriter::Write(const ZipFileEntry& entry, const CStagingFolder& staging, std::string& error) {
    uint64_t offset = 0;
    if (!DataOffset(entry, offset)) {
        error = entry.path + ": unreadable entry header";
        return false;
    }
    const int out = staging.CreateFile(entry.path);
    if (out < 0) {
        error = entry.path + ": cannot create the file: " + std::strerror(errno);
        return false;
    }
    uLong crc = crc32(0, nullptr, 0);
    bool written = entry.method == Z_DEFLATED ? Inflate(out, entry, offset, crc, error)
                                              : Copy(out, entry, offset, crc, error);
    if (written && crc != entry.crc) {
        error = entry.path + ": the data does not match its CRC";
        written = false;
    }
    if (written) {
        const timespec times[2] = {{entry.modified, 0}, {entry.modified, 0}};
        futimens(out, times);
    }
    if (close(out) != 0 && written) {
        error = entry.path + ": cannot write the file: " + std::strerror(errno);
        written = false;
    }
    return written;
}

bool CZipEntryWriter::DataOffset(const ZipFileEntry& entry, uint64_t& offset) {
    unz64_file_pos position = entry.position;
    int method = 0;
    int level = 0;
    // Opening the entry raw checks its local header against the directory and finds where the data starts.
    if (unzGoToFilePos64(m_zip, &position) != UNZ_OK ||
        unzOpenCurrentFile2(m_zip, &method, &level, 1) != UNZ_OK) {
        return false;
    }
    offset = unzGetCurrentFileZStreamPos64(m_zip);
    unzCloseCurrentFile(m_zip);
    return offset != 0;
}

bool CZipEntryWriter::Inflate(int out, const ZipFileEntry& entry, uint64_t offset, uLong& crc,
                              std::string& error) {
    inflateReset(&m_stream);
    m_stream.avail_in = 0;
    uint64_t inputLeft = entry.compressedSize;
    uint64_t produced = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (m_stream.avail_in == 0) {
            const size_t size = static_cast<size_t>(std::min<uint64_t>(inputLeft, m_in.size()));
            if (size == 0 || !ReadAt(size, offset)) {
                error = entry.path + ": the data ends early";
                return false;
            }
            offset += size;
            inputLeft -= size;
            m_stream.next_in = m_in.data();
            m_stream.avail_in = static_cast<uInt>(size);
        }
        m_stream.next_out = m_out.data();
        m_stream.avail_out = static_cast<uInt>(m_out.size());
        status = inflate(&m_stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && !(status == Z_BUF_ERROR && m_stream.avail_in == 0)) {
            error = entry.path + ": corrupt data";
            return false;
        }
        const size_t chunk = m_out.size() - m_stream.avail_out;
        // Counted before a byte is written: an entry may not grow past what it declared.
        if (chunk > entry.size - produced) {
            error = entry.path + ": more bytes than the " + std::to_string(entry.size) + " declared";
            return false;
        }
        produced += chunk;
        crc = crc32_z(crc, m_out.data(), chunk);
        if (!WriteAll(out, m_out.data(), chunk)) {
            error = entry.path + ": cannot write the file: " + std::strerror(errno);
            return false;
        }
    }
    if (produced != entry.size) {
        error = entry.path + ": fewer bytes than the " + std::to_string(entry.size) + " declared";
        return false;
    }
    return true;
}

bool CZipEntryWriter::Copy(int out, const ZipFileEntry& entry, uint64_t offset, uLong& crc,
                           std::string& error) {
    if (entry.compressedSize != entry.size) {
        error = entry.path + ": stored data of another size than declared";
        return false;
    }
    for (uint64_t left = entry.size; left > 0;) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(left, m_in.size()));
        if (!ReadAt(size, offset)) {
            error = entry.path + ": the data ends early";
            return false;
        }
        crc = crc32_z(crc, m_in.data(), size);
        if (!WriteAll(out, m_in.data(), size)) {
            error = entry.path + ": cannot write the file: " + std::strerror(errno);
            return false;
        }
        offset += size;
        left -= size;
    }
    return true;
}

bool CZipEntryWriter::ReadAt(size_t size, uint64_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(m_fd, m_in.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}
