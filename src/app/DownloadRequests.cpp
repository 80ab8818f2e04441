#include "DownloadRequests.h"

#include <pugixml.hpp>
#include <sstream>

namespace nimbra::app {

namespace {

void AppendFiles(pugi::xml_node list, const std::vector<DownloadItem>& items) {
    for (const DownloadItem& item : items) {
        pugi::xml_node file = list.append_child("File");
        file.append_attribute("url") = item.url.c_str();
        file.append_attribute("name") = item.name.c_str();
    }
}

std::string Text(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

}  // namespace

std::string DownloadFileDocument(const DownloadItem& item) {
    pugi::xml_document doc;
    AppendFiles(doc.append_child("DownloadList"), {item});
    return Text(doc);
}

std::string DownloadFilesDocument(const std::vector<DownloadItem>& items) {
    pugi::xml_document doc;
    AppendFiles(doc.append_child("DownloadFiles").append_child("DownloadList"), items);
    return Text(doc);
}

std::string DownloadFolderDocument(const std::string& folder, const std::vector<DownloadItem>& items,
                                   const std::vector<std::string>& folders) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("DownloadFolder");
    root.append_attribute("Folder") = folder.c_str();
    pugi::xml_node list = root.append_child("DownloadList");
    for (const std::string& path : folders)
        list.append_child("Folder").append_attribute("name") = path.c_str();
    AppendFiles(list, items);
    return Text(doc);
}

}  // namespace nimbra::app
