#include "service/DownloadEndpoint.h"

#include "service/FileSender.h"
#include "service/NameRules.h"

namespace nimbra::service {

namespace {

// Only plain names below the static folder: no "..", no hidden entries, no empty segments.
bool IsSafeRelativePath(const std::string& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment.empty() || segment[0] == '.' || !IsAcceptableName(segment))
            return false;
        start = end + 1;
    }
    return true;
}

std::string ContentTypeOf(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    if (ext == ".zip")
        return "application/zip";
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".png")
        return "image/png";
    if (ext == ".txt" || ext == ".qss" || ext == ".ini")
        return "text/plain; charset=utf-8";
    return "application/octet-stream";
}

}  // namespace

void DownloadEndpoint::Register(HttpRoutes& routes) {
    routes.Add("GET", "/lumenoApp/file/([0-9]+)", [this](HttpExchange& exchange) { File(exchange, false); });
    routes.Add("GET", "/lumenoApp/file/([0-9]+)/thumbnail",
               [this](HttpExchange& exchange) { File(exchange, true); });
    routes.Add("GET", "/static/(.+)", [this](HttpExchange& exchange) { Static(exchange); });
}

void DownloadEndpoint::File(HttpExchange& exchange, bool thumbnail) {
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(req, res);
    if (!account)
        return;
    const auto fileId = ParseSize(req.Match(1));
    const auto file = fileId ? m_context.catalogs.FindFile(*account, *fileId) : std::nullopt;
    if (!file || (thumbnail && !file->hasThumbnail)) {
        res.status = 404;
        return;
    }
    const bool sent = thumbnail ? SendFile(req, res, m_context.layout.FileThumbnail(file->id), "image/jpeg")
                                : SendFile(req, res, m_context.layout.FileContent(file->id),
                                           "application/octet-stream", DropAfter());
    if (!sent)
        res.status = 500;
}

void DownloadEndpoint::Static(HttpExchange& exchange) {
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    const std::string& relative = req.Match(1);
    if (!IsSafeRelativePath(relative) ||
        !SendFile(req, res, m_context.layout.StaticDir() / relative, ContentTypeOf(relative), DropAfter()))
        res.status = 404;
}

}  // namespace nimbra::service
