#include "service/CatalogEndpoint.h"

#include <algorithm>

#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/TusEndpoint.h"

namespace nimbra::service {

namespace {

constexpr const char* kTopCatalogName = "我的网盘";

void AppendNode(pugi::xml_node list, const std::string& id, const std::string& parent,
                const std::string& name, bool shared, bool current) {
    pugi::xml_node node = list.append_child("catalogNode");
    node.append_attribute("catalogID") = id.c_str();
    node.append_attribute("parentcatalogID") = parent.c_str();
    node.append_attribute("catalogName") = name.c_str();
    node.append_attribute("isShared") = shared ? "1" : "0";
    node.append_attribute("CurDir") = current ? "1" : "0";
}

constexpr size_t kMaxRequestBytes = 64 << 10;

// The creation request arrives as form fields, or as the client's own document
// <data><strPath>NAME</strPath><parent>ID</parent></data>.
bool ReadCreationRequest(const HttpRequest& req, const std::string& body, std::string& parent,
                         std::string& name) {
    if (req.HasParam("name")) {
        parent = req.Param("parent");
        name = req.Param("name");
        return true;
    }
    pugi::xml_document doc;
    if (!doc.load_buffer(body.data(), body.size()))
        return false;
    const pugi::xml_node data = doc.child("data");
    if (!data)
        return false;
    name = data.child("strPath").text().as_string();
    parent = data.child("parent").text().as_string();
    return true;
}

}  // namespace

void CatalogEndpoint::Register(HttpRoutes& routes) {
    routes.Add("GET", "/lumenoApp/catalog", [this](HttpExchange& exchange) { Document(exchange); });
    routes.Add(
        "POST", "/lumenoApp/catalog/create", [this](HttpExchange& exchange) { Create(exchange); },
        kMaxRequestBytes);
    routes.Add(
        "POST", "/lumenoApp/catalog/current", [this](HttpExchange& exchange) { SetCurrent(exchange); },
        kMaxRequestBytes);
    routes.Add("GET", "/lumenoApp/catalog/([^/]+)/files",
               [this](HttpExchange& exchange) { Files(exchange); });
}

void CatalogEndpoint::Document(HttpExchange& exchange) {
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(exchange.Request(), res);
    if (!account)
        return;
    const int64_t current = m_context.accounts.CurrentCatalog(*account);
    const int64_t spare = m_context.space.Spare(*account);

    pugi::xml_document doc;
    pugi::xml_node result = AppendResult(doc, 0, true);
    result.append_child("uploadUrl").text() = (m_context.baseUrl + TusEndpoint::kPath).c_str();
    pugi::xml_node list = result.append_child("getWholeCatalog");
    AppendNode(list, "root", "", kTopCatalogName, false, current == kTopCatalog);
    for (const CatalogRow& row : m_context.catalogs.List(*account))
        AppendNode(list, FormatCatalogId(row.id), FormatCatalogId(row.parentId), row.name, row.isShared,
                   row.id == current);
    result.append_child("MaxUploadFilesNumber").text() = m_context.options.maxUploadFiles;
    result.append_child("MaxUploadFilesSize").text() = static_cast<long long>(m_context.options.maxFileBytes);
    result.append_child("SpareSize").text() = static_cast<long long>(std::max<int64_t>(spare, 0));
    ReplyXml(res, doc);
}

void CatalogEndpoint::Create(HttpExchange& exchange) {
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(exchange.Request(), res);
    if (!account)
        return;
    const auto body = ReadFormBody(exchange, kMaxRequestBytes);
    if (!body)
        return;
    std::string parentText, name;
    if (!ReadCreationRequest(exchange.Request(), *body, parentText, name) || !IsAcceptableName(name))
        return ReplyError(res, 400, kErrorRefused);
    const auto parent = ParseCatalogId(parentText);
    if (!parent || !m_context.catalogs.Exists(*account, *parent))
        return ReplyError(res, 404, kErrorCatalogMissing);
    bool existed = false;
    const int64_t id = m_context.catalogs.Create(*account, *parent, name, existed);
    pugi::xml_document doc;
    pugi::xml_node result = AppendResult(doc, existed ? kErrorCatalogExists : 0, false);
    result.append_child("catalogID").text() = FormatCatalogId(id).c_str();
    ReplyXml(res, doc, existed ? 409 : 200);
    if (existed)
        res.SetHeader("X-Nimbra-Error", std::to_string(kErrorCatalogExists));
}

void CatalogEndpoint::SetCurrent(HttpExchange& exchange) {
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(exchange.Request(), res);
    if (!account || !ReadFormBody(exchange, kMaxRequestBytes))
        return;
    const auto id = ParseCatalogId(exchange.Request().Param("id"));
    if (!id || !m_context.catalogs.Exists(*account, *id))
        return ReplyError(res, 404, kErrorCatalogMissing);
    m_context.accounts.SetCurrentCatalog(*account, *id);
    pugi::xml_document doc;
    AppendResult(doc, 0, false);
    ReplyXml(res, doc);
}

void CatalogEndpoint::Files(HttpExchange& exchange) {
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(exchange.Request(), res);
    if (!account)
        return;
    const auto id = ParseCatalogId(exchange.Request().Match(1));
    if (!id || !m_context.catalogs.Exists(*account, *id))
        return ReplyError(res, 404, kErrorCatalogMissing);
    pugi::xml_document doc;
    pugi::xml_node result = AppendResult(doc, 0, false);
    for (const FileRow& file : m_context.catalogs.Files(*account, *id)) {
        pugi::xml_node node = result.append_child("file");
        node.append_attribute("fileID") = static_cast<long long>(file.id);
        node.append_attribute("name") = file.name.c_str();
        node.append_attribute("size") = static_cast<long long>(file.size);
        node.append_attribute("tag") = file.tag.c_str();
        node.append_attribute("description") = file.description.c_str();
        node.append_attribute("sha1") = file.sha1.c_str();
        node.append_attribute("hasThumbnail") = file.hasThumbnail ? "1" : "0";
    }
    ReplyXml(res, doc);
}

}  // namespace nimbra::service
