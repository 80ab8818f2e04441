#include "uic/UICUploadFile/skin/ZipExtractor.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "uic/UICUploadFile/skin/StagingFolder.h"
#include "uic/UICUploadFile/skin/ZipEntryWriter.h"

namespace {

// The free space where the folder is, or would be made.
uint64_t FreeBytes(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(folder, ec);
    struct statvfs fs {};
    while (statvfs(path.c_str(), &fs) != 0) {
        if (path == path.parent_path()) {
            return 0;
        }
        path = path.parent_path();
    }
    return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
}

unsigned WorkersFor(unsigned asked) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp(asked == 0 ? cores : asked, 1u, CZipExtractor::kMaxWorkers);
}

}  // namespace

CZipExtractor::CZipExtractor(UnzipLimits limits, unsigned workers)
    : m_limits(limits), m_workers(WorkersFor(workers)) {}

UnzipReport CZipExtractor::Extract(const std::string& archivePath, const std::string& targetFolder) const {
    UnzipReport report;
    CZipCatalog catalog;
    unzFile zip = unzOpen64(archivePath.c_str());
    const bool read = catalog.Read(zip, m_limits, FreeBytes(targetFolder), report.error);
    if (zip) {
        unzClose(zip);
    }
    report.skipped = catalog.Skipped();
    if (!read) {
        return report;
    }
    CStagingFolder staging;
    if (!staging.Create(targetFolder, report.error) ||
        !staging.MakeFolders(catalog.Folders(), report.error) ||
        !WriteFiles(archivePath, catalog.Files(), staging, report.error)) {
        return report;
    }
    for (const auto& [folder, modified] : catalog.FolderTimes()) {
        staging.SetTime(folder, modified);
    }
    if (!staging.Commit(catalog.TopLevelNames(), report.error)) {
        return report;
    }
    report.installed = true;
    report.files = catalog.Files().size();
    return report;
}

bool CZipExtractor::WriteFiles(const std::string& archivePath, const std::vector<ZipFileEntry>& files,
                               const CStagingFolder& staging, std::string& error) const {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex errorMutex;
    // Each worker takes the next entry in archive order until none is left or one has failed.
    const auto work = [&] {
        CZipEntryWriter writer(archivePath);
        std::string problem = writer.IsOpen() ? std::string() : "cannot read the archive";
        while (problem.empty() && !failed) {
            const size_t index = next++;
            if (index >= files.size()) {
                break;
            }
            writer.Write(files[index], staging, problem);
        }
        if (!problem.empty()) {
            failed = true;
            const std::lock_guard lock(errorMutex);
            if (error.empty()) {
                error = problem;
            }
        }
    };
    std::vector<std::jthread> helpers;
    const size_t helperCount = std::min<size_t>(m_workers, files.size()) - (files.empty() ? 0 : 1);
    for (size_t i = 0; i < helperCount; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads: the ones there share the work
        }
    }
    work();
    helpers.clear();
    return !failed;
}
