#pragma once
// Unpacks a zip archive into a folder, whole or not at all: the archive's directory is read and checked
// against the bounds first, the files are written into a staging folder inside the target folder by one
// thread per core (joined before Extract returns), and only when every file arrived intact does the
// staging folder's content take its place in the target folder.

#include <string>
#include <vector>

#include "uic/UICUploadFile/skin/ZipCatalog.h"

class CStagingFolder;

struct UnzipReport {
    bool installed = false;
    std::string error;                     // why nothing was installed
    std::vector<SkippedZipEntry> skipped;  // entries left out, with the reason
    size_t files = 0;                      // files installed
};

class CZipExtractor final {
public:
    // workers 0: one per core, at most kMaxWorkers.
    explicit CZipExtractor(UnzipLimits limits = {}, unsigned workers = 0);

    // Paths in the file system's bytes.
    UnzipReport Extract(const std::string& archivePath, const std::string& targetFolder) const;

    static constexpr unsigned kMaxWorkers = 4;

private:
    bool WriteFiles(const std::string& archivePath, const std::vector<ZipFileEntry>& files,
                    const CStagingFolder& staging, std::string& error) const;

    UnzipLimits m_limits;
    unsigned m_workers;
};
