#pragma once
// The service's answers read into records (UTF-8 throughout). Readers return nullopt for a document
// they cannot read, so a broken answer is never mistaken for an empty one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nimbra::app {

struct LoginResult {
    int resultCode = -1;
    std::string uploadUrl;
    std::string account;
    std::string signOn;
};

struct CatalogNode {
    std::string id;        // "root" for the top catalog
    std::string parentId;  // empty for the top catalog
    std::string name;
    bool shared = false;
    bool current = false;
};

struct DiskFile {
    std::string id;
    std::string name;
    uint64_t size = 0;
    std::string tag;
    std::string description;
    std::string sha1;
    bool hasThumbnail = false;
};

// The answer to a catalog creation: the new (or, with 9424, the existing) catalog's id.
struct CatalogCreation {
    int resultCode = -1;
    std::string catalogId;
};

std::optional<LoginResult> ReadLoginResult(const std::string& document);
// Nodes in document order (parents first).
std::optional<std::vector<CatalogNode>> ReadCatalogNodes(const std::string& document);
std::optional<std::vector<DiskFile>> ReadFileList(const std::string& document);
std::optional<CatalogCreation> ReadCatalogCreation(const std::string& document);
// The catalog document in the shape the upload component reads: <result> as the document element
// (the service wraps it in <root>). nullopt when there is no <result>.
std::optional<std::string> CatalogDocumentForComponent(const std::string& document);
// The catalog tree alone, <getWholeCatalog> as the document element: the shape the target catalog dialog
// reads when it is told the document has no wrapper. nullopt when there is no tree.
std::optional<std::string> CatalogTreeForComponent(const std::string& document);

}  // namespace nimbra::app
