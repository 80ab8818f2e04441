#pragma once
// What stood at a download's local path before the download began, so that giving the download up removes
// only a file the download itself made there, never one the user had.

#include <sys/types.h>

#include <string>

class CPriorFile final {
public:
    // path in GB18030.
    static CPriorFile At(const std::string& path);
    // Removes the file now at the path (a folder is never removed) unless it is the one noted; failures
    // are ignored.
    void RemoveNewFile(const std::string& path) const;

private:
    bool IsSameAs(const CPriorFile& other) const;

    bool m_bExists = false;
    bool m_bFolder = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    off_t m_size = 0;
    struct timespec m_modified {};
};
