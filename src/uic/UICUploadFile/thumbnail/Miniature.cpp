#include "uic/UICUploadFile/thumbnail/Miniature.h"

#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <system_error>
#include <thread>

#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "uic/UICUploadFile/thumbnail/ThumbnailMaker.h"
#include "uic/UICUploadFile/upload/ContentType.h"

namespace fs = std::filesystem;

namespace {

bool IsPictureType(const std::string& type) {
    return type == "image/bmp" || type == "image/jpeg" || type == "image/png" || type == "image/tiff" ||
           type == "image/jpg";
}

// Makes the folder and empties it; the folder itself stays.
bool PrepareFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        fs::remove_all(entry.path(), error);
    }
    return true;
}

void MakeOne(tagPendingFile& item, const std::string& name, const std::string& mimeType) {
    const std::string target = Gb18030ToUtf8(name);
    if (!MakeThumbnail(Gb18030ToUtf8(item.strPath), target, CMiniature::kSide, DecoderFor(mimeType))) {
        return;
    }
    item.nMiniatureFlag = 1;
    item.strMiniatureName = name;
    std::error_code error;
    const uintmax_t size = fs::file_size(fs::path(target), error);
    if (!error) {
        item.ullMiniatureSize = size;
    }
}

}  // namespace

int CMiniature::CreateMiniature(std::vector<tagPendingFile>& items, const std::string& programDir) {
    static const char* const kName = "CUICUploadDlg::CreateMiniature";
    LOG_FUNCTION(kName);
    const std::string folder = MiniatureFolder(programDir);
    if (!PrepareFolder(fs::path(Gb18030ToUtf8(folder)))) {
        LOG_FAILED(kName, "CreateDirectory");
    }

    // Work units: the items that share a thumbnail name stay in one unit, in list order, so the last
    // one wins as it would one by one.
    struct Job {
        size_t index;
        std::string name;
        std::string mimeType;
    };
    std::vector<std::vector<Job>> units;
    std::map<std::string, size_t> unitOfName;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string mimeType = GetContentType(items[i].strPath);
        if (!IsPictureType(mimeType)) {
            continue;
        }
        std::string name = FormatMiniatureName(items[i].strPath, folder);
        if (name.empty()) {
            continue;
        }
        const auto [found, added] = unitOfName.emplace(name, units.size());
        if (added) {
            units.emplace_back();
        }
        units[found->second].push_back({i, std::move(name), std::move(mimeType)});
    }

    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t unit = next++; unit < units.size(); unit = next++) {
            for (const Job& job : units[unit]) {
                MakeOne(items[job.index], job.name, job.mimeType);
            }
        }
    };
    const size_t workers = std::min<size_t>(units.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::jthread> helpers;
    for (size_t i = 1; i < workers; ++i) {
        helpers.emplace_back(work);
    }
    work();
    return 1;
}

bool CMiniature::IsMiniatureType(const std::string& path) {
    return IsPictureType(GetContentType(path));
}

std::string CMiniature::FormatMiniatureName(const std::string& path, const std::string& folder) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    return folder + "/" + path.substr(slash + 1) + "_Miniature.jpg";
}

bool CMiniature::IsSize(const std::string& path, int maxWidth, int maxHeight) {
    const QSize size = QImageReader(ToQString(path)).size();
    return size.isValid() && size.width() <= maxWidth && size.height() <= maxHeight;
}
