#pragma once
// The network-disk operations of the host: catalogs, file lists, catalog creation and file bytes.

#include <optional>
#include <string>
#include <vector>

#include "ServiceClient.h"
#include "ServiceDocuments.h"

namespace nimbra::app {

// The only failure answer the upload component understands for a catalog creation.
inline constexpr const char* kCatalogNotCreated = "9424";

class NetDiskClient final {
public:
    explicit NetDiskClient(const ServiceClient& client) : m_client(client) {}

    // The catalog document as the service sends it (UTF-8).
    ServiceReply CatalogDocument() const { return m_client.Get("/lumenoApp/catalog"); }
    std::optional<std::vector<CatalogNode>> Catalogs(std::string& error) const;
    std::optional<std::vector<DiskFile>> Files(const std::string& catalogId, std::string& error) const;
    // Marks the catalog the user works in, so the catalog document names it as current.
    bool SelectCurrent(const std::string& catalogId) const;
    // The new catalog's id, or kCatalogNotCreated for every failure: the component takes any other answer
    // for an id, so an error code must never reach it in its place.
    std::string CreateCatalog(const std::string& parentId, const std::string& name) const;

    std::string FileUrl(const std::string& fileId) const;
    // Files the service offers to everybody, by path below /static/.
    std::string StaticUrl(const std::string& path) const { return m_client.BaseUrl() + "/static/" + path; }
    // The ring tones the service offers (static/ringtones/index.txt, one name a line).
    std::optional<std::vector<std::string>> RingTones(std::string& error) const;
    ServiceReply FileBytes(const std::string& fileId) const;
    ServiceReply Thumbnail(const std::string& fileId) const;

private:
    const ServiceClient& m_client;
};

}  // namespace nimbra::app
