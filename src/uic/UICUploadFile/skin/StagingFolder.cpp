#include "uic/UICUploadFile/skin/StagingFolder.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr const char* kContent = "content";
constexpr const char* kReplaced = "replaced";

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

int OpenFolderAt(int parent, const char* name) {
    return openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

CStagingFolder::~CStagingFolder() {
    CloseIfOpen(m_contentFd);
    CloseIfOpen(m_replacedFd);
    CloseIfOpen(m_targetFd);
    if (!m_path.empty()) {
        // remove_all removes links themselves and never what they point at.
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

bool CStagingFolder::Create(const std::string& targetFolder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(targetFolder, ec);
    m_targetFd = open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_targetFd < 0) {
        error = SystemError("cannot open the folder " + targetFolder);
        return false;
    }
    std::string pattern = targetFolder + "/.unzip-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        error = SystemError("cannot make a staging folder in " + targetFolder);
        return false;
    }
    m_path = pattern;
    const int staging = open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool made =
        staging >= 0 && mkdirat(staging, kContent, 0700) == 0 && mkdirat(staging, kReplaced, 0700) == 0;
    if (made) {
        m_contentFd = OpenFolderAt(staging, kContent);
        m_replacedFd = OpenFolderAt(staging, kReplaced);
    }
    if (staging >= 0) {
        close(staging);
    }
    if (m_contentFd < 0 || m_replacedFd < 0) {
        error = SystemError("cannot prepare the staging folder " + m_path);
        return false;
    }
    return true;
}

bool CStagingFolder::MakeFolders(const std::set<std::string>& folders, std::string& error) const {
    for (const std::string& folder : folders) {
        if (mkdirat(m_contentFd, folder.c_str(), 0777) != 0) {
            error = SystemError("cannot make the folder " + folder);
            return false;
        }
    }
    return true;
}

int CStagingFolder::CreateFile(const std::string& relativePath) const {
    open_how how{};
    how.flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    how.mode = 0666;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    const long fd = syscall(SYS_openat2, m_contentFd, relativePath.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS) {
        return static_cast<int>(fd);
    }
    // Kernels before 5.6: every folder on the way was made here, so only the last step could meet a link.
    return openat(m_contentFd, relativePath.c_str(), static_cast<int>(how.flags), 0666);
}

void CStagingFolder::SetTime(const std::string& relativePath, std::time_t modified) const {
    const timespec times[2] = {{modified, 0}, {modified, 0}};
    utimensat(m_contentFd, relativePath.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

bool CStagingFolder::Commit(const std::set<std::string>& topLevelNames, std::string& error) {
    std::vector<Move> done;
    for (const std::string& name : topLevelNames) {
        struct stat existing {};
        const bool replaced = fstatat(m_targetFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
        if (!replaced && errno != ENOENT) {
            error = SystemError("cannot look at " + name);
            Undo(done);
            return false;
        }
        Move move{name, replaced, std::to_string(done.size())};
        if (move.replaced && renameat(m_targetFd, name.c_str(), m_replacedFd, move.aside.c_str()) != 0) {
            error = SystemError("cannot move the old " + name + " aside");
            Undo(done);
            return false;
        }
        if (renameat(m_contentFd, name.c_str(), m_targetFd, name.c_str()) != 0) {
            error = SystemError("cannot move " + name + " into place");
            if (move.replaced) {
                renameat(m_replacedFd, move.aside.c_str(), m_targetFd, name.c_str());
            }
            Undo(done);
            return false;
        }
        done.push_back(std::move(move));
    }
    return true;
}

void CStagingFolder::Undo(const std::vector<Move>& done) const {
    for (auto move = done.rbegin(); move != done.rend(); ++move) {
        renameat(m_targetFd, move->name.c_str(), m_contentFd, move->name.c_str());
        if (move->replaced) {
            renameat(m_replacedFd, move->aside.c_str(), m_targetFd, move->name.c_str());
        }
    }
}
