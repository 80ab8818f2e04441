#include "NetDiskClient.h"

#include <sstream>

namespace nimbra::app {

std::optional<std::vector<CatalogNode>> NetDiskClient::Catalogs(std::string& error) const {
    const ServiceReply reply = CatalogDocument();
    if (!reply.Ok()) {
        error = reply.Describe();
        return std::nullopt;
    }
    auto nodes = ReadCatalogNodes(reply.body);
    if (!nodes)
        error = "unreadable catalog document";
    return nodes;
}

std::optional<std::vector<DiskFile>> NetDiskClient::Files(const std::string& catalogId,
                                                          std::string& error) const {
    const ServiceReply reply = m_client.Get("/lumenoApp/catalog/" + EncodePathSegment(catalogId) + "/files");
    if (!reply.Ok()) {
        error = reply.Describe();
        return std::nullopt;
    }
    auto files = ReadFileList(reply.body);
    if (!files)
        error = "unreadable file list";
    return files;
}

bool NetDiskClient::SelectCurrent(const std::string& catalogId) const {
    return m_client.PostForm("/lumenoApp/catalog/current", {{"id", catalogId}}).Ok();
}

std::string NetDiskClient::CreateCatalog(const std::string& parentId, const std::string& name) const {
    const ServiceReply reply =
        m_client.PostForm("/lumenoApp/catalog/create", {{"parent", parentId}, {"name", name}});
    const auto answer = ReadCatalogCreation(reply.body);
    if (!reply.Ok() || !answer || answer->resultCode != 0 || answer->catalogId.empty())
        return kCatalogNotCreated;
    return answer->catalogId;
}

std::string NetDiskClient::FileUrl(const std::string& fileId) const {
    return m_client.BaseUrl() + "/lumenoApp/file/" + EncodePathSegment(fileId);
}

std::optional<std::vector<std::string>> NetDiskClient::RingTones(std::string& error) const {
    const ServiceReply reply = m_client.Get("/static/ringtones/index.txt");
    if (!reply.Ok()) {
        error = reply.Describe();
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::istringstream lines(reply.body);
    for (std::string name; std::getline(lines, name);) {
        if (!name.empty() && name.back() == '\r')
            name.pop_back();
        // A name is one path segment of the list's folder.
        if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..")
            names.push_back(name);
    }
    return names;
}

ServiceReply NetDiskClient::FileBytes(const std::string& fileId) const {
    return m_client.Get("/lumenoApp/file/" + EncodePathSegment(fileId));
}

ServiceReply NetDiskClient::Thumbnail(const std::string& fileId) const {
    return m_client.Get("/lumenoApp/file/" + EncodePathSegment(fileId) + "/thumbnail");
}

}  // namespace nimbra::app
