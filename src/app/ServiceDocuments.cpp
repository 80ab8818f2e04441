#include "ServiceDocuments.h"

#include <pugixml.hpp>
#include <sstream>

namespace nimbra::app {

namespace {

// The <result> element, whether it is the document element or sits inside <root>.
pugi::xml_node FindResult(const pugi::xml_document& doc) {
    pugi::xml_node result = doc.child("result");
    return result ? result : doc.child("root").child("result");
}

bool Load(pugi::xml_document& doc, const std::string& text) {
    return static_cast<bool>(
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
}

// The result element of a document that parses and reports success (resultCode 0); empty otherwise.
pugi::xml_node SuccessfulResult(pugi::xml_document& doc, const std::string& text) {
    if (!Load(doc, text))
        return {};
    const pugi::xml_node result = FindResult(doc);
    return result && result.attribute("resultCode").as_int(-1) == 0 ? result : pugi::xml_node();
}

std::string Printed(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

}  // namespace

std::optional<LoginResult> ReadLoginResult(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node result = FindResult(doc);
    if (!result || !result.attribute("resultCode"))
        return std::nullopt;
    LoginResult login;
    login.resultCode = result.attribute("resultCode").as_int(-1);
    login.uploadUrl = result.child("uploadUrl").text().get();
    login.account = result.child("account").text().get();
    login.signOn = result.child("signOn").text().get();
    if (login.resultCode == 0 && (login.uploadUrl.empty() || login.signOn.empty()))
        return std::nullopt;
    return login;
}

std::optional<std::vector<CatalogNode>> ReadCatalogNodes(const std::string& document) {
    pugi::xml_document doc;
    const pugi::xml_node result = SuccessfulResult(doc, document);
    if (!result)
        return std::nullopt;
    const pugi::xml_node whole = result.child("getWholeCatalog");
    if (!whole)
        return std::nullopt;
    std::vector<CatalogNode> nodes;
    for (pugi::xml_node node : whole.children("catalogNode")) {
        CatalogNode catalog;
        catalog.id = node.attribute("catalogID").value();
        catalog.parentId = node.attribute("parentcatalogID").value();
        catalog.name = node.attribute("catalogName").value();
        catalog.shared = node.attribute("isShared").as_int() != 0;
        catalog.current = node.attribute("CurDir").as_int() != 0;
        if (!catalog.id.empty())
            nodes.push_back(std::move(catalog));
    }
    return nodes;
}

std::optional<std::vector<DiskFile>> ReadFileList(const std::string& document) {
    pugi::xml_document doc;
    const pugi::xml_node result = SuccessfulResult(doc, document);
    if (!result)
        return std::nullopt;
    std::vector<DiskFile> files;
    for (pugi::xml_node node : result.children("file")) {
        DiskFile file;
        file.id = node.attribute("fileID").value();
        file.name = node.attribute("name").value();
        file.size = node.attribute("size").as_ullong();
        file.tag = node.attribute("tag").value();
        file.description = node.attribute("description").value();
        file.sha1 = node.attribute("sha1").value();
        file.hasThumbnail = node.attribute("hasThumbnail").as_int() != 0;
        files.push_back(std::move(file));
    }
    return files;
}

std::optional<CatalogCreation> ReadCatalogCreation(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node result = FindResult(doc);
    if (!result || !result.attribute("resultCode"))
        return std::nullopt;
    return CatalogCreation{result.attribute("resultCode").as_int(-1), result.child("catalogID").text().get()};
}

std::optional<std::string> CatalogDocumentForComponent(const std::string& document) {
    pugi::xml_document doc;
    if (!Load(doc, document))
        return std::nullopt;
    const pugi::xml_node result = FindResult(doc);
    if (!result)
        return std::nullopt;
    return Printed(result);
}

std::optional<std::string> CatalogTreeForComponent(const std::string& document) {
    pugi::xml_document doc;
    const pugi::xml_node tree = SuccessfulResult(doc, document).child("getWholeCatalog");
    if (!tree)
        return std::nullopt;
    return Printed(tree);
}

}  // namespace nimbra::app
