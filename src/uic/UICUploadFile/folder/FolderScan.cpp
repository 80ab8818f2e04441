#include "uic/UICUploadFile/folder/FolderScan.h"

#include <algorithm>
#include <filesystem>

#include "platform/CodePage.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string strName;  // UTF-8
    fs::path path;
    bool bFolder = false;
    uint64_t ullSize = 0;
};

// The visible files and folders of a folder, sorted by name.
std::vector<Entry> ReadEntries(const fs::path& folder) {
    std::vector<Entry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const fs::directory_entry& item = *it;
        Entry entry{item.path().filename().string(), item.path()};
        if (entry.strName.empty() || entry.strName.front() == '.') {
            continue;
        }
        std::error_code kind;
        if (item.is_symlink(kind) && item.is_directory(kind)) {
            continue;
        }
        if (item.is_directory(kind)) {
            entry.bFolder = true;
        } else if (item.is_regular_file(kind)) {
            entry.ullSize = item.file_size(kind);
            if (kind) {
                entry.ullSize = 0;
            }
        } else {
            continue;
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.strName < b.strName; });
    return entries;
}

void Scan(const fs::path& folder, int depth, int goalDepth, tagFolderScan& result) {
    if (depth + goalDepth > kMaxCatalogDepth) {
        result.bTooDeep = true;
    }
    for (const Entry& entry : ReadEntries(folder)) {
        if (entry.bFolder) {
            result.vecSubFolders.push_back(Utf8ToGb18030(entry.path.string()));
            Scan(entry.path, depth + 1, goalDepth, result);
        } else {
            result.ullBytes += entry.ullSize;
        }
    }
}

}  // namespace

tagFolderScan ScanFolder(const std::string& folder, int goalDepth) {
    tagFolderScan result;
    Scan(fs::path(Gb18030ToUtf8(folder)), 1, goalDepth, result);
    return result;
}

std::vector<tagCatalogFile> ListFolderFiles(const std::string& folder) {
    std::vector<tagCatalogFile> files;
    for (const Entry& entry : ReadEntries(fs::path(Gb18030ToUtf8(folder)))) {
        if (!entry.bFolder) {
            files.push_back(
                {Utf8ToGb18030(entry.strName), Utf8ToGb18030(entry.path.string()), entry.ullSize});
        }
    }
    return files;
}
