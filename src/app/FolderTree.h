#pragma once
// What a folder download of the network disk brings: every file below a catalog with its path relative
// to it, and every catalog below it, read from the service's catalog tree and file lists.

#include <optional>
#include <string>
#include <vector>

#include "DownloadRequests.h"
#include "NetDiskClient.h"

namespace nimbra::app {

struct FolderTree {
    std::vector<DownloadItem> files;   // names are paths below the catalog: "sub/deeper/name"
    std::vector<std::string> folders;  // "sub", "sub/deeper", ..., parents before their children
};

// Nothing (with the reason in error) when the service cannot be read.
std::optional<FolderTree> ReadFolderTree(const NetDiskClient& disk, const std::string& catalogId,
                                         std::string& error);

}  // namespace nimbra::app
