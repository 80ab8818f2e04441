#include "uic/UICUploadFile/download/PriorFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/CodePage.h"

CPriorFile CPriorFile::At(const std::string& path) {
    CPriorFile file;
    struct stat info {};
    if (lstat(Gb18030ToUtf8(path).c_str(), &info) == 0) {
        file.m_bExists = true;
        file.m_bFolder = S_ISDIR(info.st_mode);
        file.m_device = info.st_dev;
        file.m_inode = info.st_ino;
        file.m_size = info.st_size;
        file.m_modified = info.st_mtim;
    }
    return file;
}

bool CPriorFile::IsSameAs(const CPriorFile& other) const {
    // A download that finished renamed its file over the old one: a new inode, or at least new times.
    return m_bExists && other.m_bExists && m_device == other.m_device && m_inode == other.m_inode &&
           m_size == other.m_size && m_modified.tv_sec == other.m_modified.tv_sec &&
           m_modified.tv_nsec == other.m_modified.tv_nsec;
}

void CPriorFile::RemoveNewFile(const std::string& path) const {
    const CPriorFile now = At(path);
    if (now.m_bExists && !now.m_bFolder && !IsSameAs(now)) {
        unlink(Gb18030ToUtf8(path).c_str());
    }
}
