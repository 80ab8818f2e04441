#include "ZipArchiveBuilder.h"

#include <sys/stat.h>
#include <zlib.h>

namespace {

constexpr uLong kUnixMadeBy = (3 << 8) | 20;

// The entry's time stamp in the DOS form zip keeps: local time, two-second steps.
zip_fileinfo InfoAt(std::time_t modified) {
    const std::time_t when = modified == 0 ? std::time(nullptr) : modified;
    std::tm local{};
    localtime_r(&when, &local);
    zip_fileinfo info{};
    info.dosDate = static_cast<uLong>(local.tm_year - 80) << 25 | static_cast<uLong>(local.tm_mon + 1) << 21 |
                   static_cast<uLong>(local.tm_mday) << 16 | static_cast<uLong>(local.tm_hour) << 11 |
                   static_cast<uLong>(local.tm_min) << 5 | static_cast<uLong>(local.tm_sec / 2);
    return info;
}

std::string RawDeflate(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, content.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

ZipArchiveBuilder::ZipArchiveBuilder(const std::string& path)
    : m_zip(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)) {}

ZipArchiveBuilder::~ZipArchiveBuilder() {
    Close();
}

uint32_t ZipArchiveBuilder::Crc(const std::string& content) {
    return static_cast<uint32_t>(
        crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(content.data()), content.size()));
}

bool ZipArchiveBuilder::File(const std::string& name, const std::string& content, std::time_t modified,
                             int method) {
    const zip_fileinfo info = InfoAt(modified);
    if (!m_zip || zipOpenNewFileInZip64(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                        Z_DEFAULT_COMPRESSION, 0) != ZIP_OK) {
        return false;
    }
    const bool written =
        zipWriteInFileInZip(m_zip, content.data(), static_cast<unsigned>(content.size())) == ZIP_OK;
    return zipCloseFileInZip(m_zip) == ZIP_OK && written;
}

bool ZipArchiveBuilder::Folder(const std::string& name) {
    return File(name.back() == '/' ? name : name + "/", "", 0, 0);
}

bool ZipArchiveBuilder::Link(const std::string& name, const std::string& target) {
    zip_fileinfo info = InfoAt(0);
    info.external_fa = static_cast<uLong>(S_IFLNK | 0777) << 16;
    if (!m_zip ||
        zipOpenNewFileInZip4_64(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0,
                                -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, kUnixMadeBy, 0, 0) != ZIP_OK) {
        return false;
    }
    const bool written =
        zipWriteInFileInZip(m_zip, target.data(), static_cast<unsigned>(target.size())) == ZIP_OK;
    return zipCloseFileInZip(m_zip) == ZIP_OK && written;
}

bool ZipArchiveBuilder::Declared(const std::string& name, const std::string& content, uint64_t declaredSize,
                                 uint32_t declaredCrc) {
    const zip_fileinfo info = InfoAt(0);
    if (!m_zip || zipOpenNewFileInZip2_64(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                          Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, 1) != ZIP_OK) {
        return false;
    }
    const std::string raw = RawDeflate(content);
    const bool written = zipWriteInFileInZip(m_zip, raw.data(), static_cast<unsigned>(raw.size())) == ZIP_OK;
    return zipCloseFileInZipRaw64(m_zip, declaredSize, declaredCrc) == ZIP_OK && written;
}

bool ZipArchiveBuilder::Close() {
    if (!m_zip) {
        return true;
    }
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return closed;
}
