#include "service/ZipWriter.h"

#include <minizip/zip.h>

#include <ctime>
#include <system_error>

namespace nimbra::service {

namespace {

bool WriteEntries(zipFile zip, const std::map<std::string, std::string>& entries) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    for (const auto& [name, content] : entries) {
        if (zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                  Z_DEFAULT_COMPRESSION, 0) != ZIP_OK)
            return false;
        const bool written =
            zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())) == ZIP_OK;
        if (zipCloseFileInZip(zip) != ZIP_OK || !written)
            return false;
    }
    return true;
}

}  // namespace

bool WriteZipArchive(const std::filesystem::path& path, const std::map<std::string, std::string>& entries) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    zipFile zip = zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    const bool written = WriteEntries(zip, entries);
    if (zipClose(zip, nullptr) != ZIP_OK || !written) {
        std::error_code ec;
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

}  // namespace nimbra::service
