#pragma once
// Reads a local folder tree for the folder upload by absolute paths (the process's current directory is
// never changed). Entries come in byte order of their names, so a scan is repeatable. Hidden entries are
// dot-files here; links to folders are not followed (a link back up the tree would never end), and
// entries that are neither files nor folders (pipes, sockets, devices) are skipped. Paths are GB18030.

#include <cstdint>
#include <string>
#include <vector>

// Catalog levels the network disk allows: goal depth plus scan depth.
inline constexpr int kMaxCatalogDepth = 10;

struct tagFolderScan {
    uint64_t ullBytes = 0;                   // sum of the file sizes of the whole tree
    bool bTooDeep = false;                   // some folder lies deeper than the network disk allows
    std::vector<std::string> vecSubFolders;  // every folder below the scanned one, parents first
};

struct tagCatalogFile {
    std::string strName;
    std::string strPath;
    uint64_t ullSize = 0;
};

// goalDepth is the number of levels of the goal catalog; the scanned folder itself is one more.
// A folder that cannot be read is skipped with what lies below it.
tagFolderScan ScanFolder(const std::string& folder, int goalDepth);

// The files directly in a folder; empty when it cannot be read.
std::vector<tagCatalogFile> ListFolderFiles(const std::string& folder);
