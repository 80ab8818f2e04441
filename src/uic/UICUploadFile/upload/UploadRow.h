#pragma once
// One row of the upload dialog's file list: what was chosen, and whether it was chosen as a folder.
// The folder mark is kept because a name cannot tell: "README" is a file, "photos.2020" may be a folder.

#include <cstdint>
#include <string>

struct tagUploadRow {
    std::string strPath;  // full local path, '/'-separated
    uint64_t ullSize = 0;
    int32_t nIcon = -1;  // index in the file-icon image list
    bool bFolder = false;

    // The text after the last separator, as the list shows it.
    std::string Name() const {
        const size_t slash = strPath.find_last_of('/');
        return slash == std::string::npos ? strPath : strPath.substr(slash + 1);
    }
};
