#pragma once
// The download request documents the host hands the upload component (UTF-8 here; the caller converts).

#include <string>
#include <vector>

namespace nimbra::app {

struct DownloadItem {
    std::string url;
    std::string name;
};

// <DownloadList><File url=".." name=".."/></DownloadList>
std::string DownloadFileDocument(const DownloadItem& item);
// <DownloadFiles><DownloadList><File .../>...</DownloadList></DownloadFiles>
std::string DownloadFilesDocument(const std::vector<DownloadItem>& items);
// <DownloadFolder Folder=".."><DownloadList><Folder name=".."/>...<File
// .../>...</DownloadList></DownloadFolder> For a whole tree, each file's name is its path below the folder
// ("sub/deeper/name", '/'-separated) and every folder below it is listed, parents first, so that empty ones
// are made too.
std::string DownloadFolderDocument(const std::string& folder, const std::vector<DownloadItem>& items,
                                   const std::vector<std::string>& folders = {});

}  // namespace nimbra::app
