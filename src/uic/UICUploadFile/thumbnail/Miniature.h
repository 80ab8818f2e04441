#pragma once
// Thumbnails of the pictures about to be uploaded: a 100 x 100 JPEG of each picture's centre square in
// the hidden "Miniature" folder of the program directory, emptied at the start of every run.

#include <cstdint>
#include <string>
#include <vector>

// A file about to be uploaded; the thumbnail fields are set only when a thumbnail file was written.
struct tagPendingFile {
    std::string strPath;  // local path (GB18030)
    uint64_t ullSize = 0;
    int32_t nMiniatureFlag = 0;
    std::string strMiniatureName;
    uint64_t ullMiniatureSize = 0;
};

class CMiniature {
public:
    static constexpr int kSide = 100;

    // Empties the thumbnail folder under programDir (GB18030, ending in '/'), then makes the thumbnails.
    // Pictures are made side by side; the items come out exactly as one-by-one work would leave them.
    // Returns 1 always: a picture without a thumbnail is uploaded all the same.
    static int CreateMiniature(std::vector<tagPendingFile>& items, const std::string& programDir);

    // BMP, JPEG, PNG or TIFF by the extension's registered type.
    static bool IsMiniatureType(const std::string& path);
    // folder + "/" + file name + "_Miniature.jpg"; empty when the path has no separator.
    static std::string FormatMiniatureName(const std::string& path, const std::string& folder);
    // True when the picture is at most maxWidth x maxHeight pixels; false when it cannot be read.
    static bool IsSize(const std::string& path, int maxWidth, int maxHeight);
    static std::string MiniatureFolder(const std::string& programDir) { return programDir + "Miniature"; }
};
