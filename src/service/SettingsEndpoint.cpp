#include "service/SettingsEndpoint.h"

#include "service/HttpReply.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxValueBytes = 64 * 1024;
constexpr const char* kNamePattern = "/lumenoApp/settings/([A-Za-z0-9_.-]{1,64})";

}  // namespace

void SettingsEndpoint::Register(httplib::Server& server) {
    server.Put(kNamePattern, [this](const httplib::Request& req, httplib::Response& res,
                                    const httplib::ContentReader& reader) { Put(req, res, reader); });
    server.Get(kNamePattern, [this](const httplib::Request& req, httplib::Response& res) { Get(req, res); });
}

void SettingsEndpoint::Put(const httplib::Request& req, httplib::Response& res,
                           const httplib::ContentReader& reader) {
    const auto account = m_context.auth.Check(req, res);
    if (!account) {
        res.set_header("Connection", "close");
        return;
    }
    const auto value = ReadBoundedBody(reader, kMaxValueBytes, res);
    if (!value)
        return;
    m_context.settings.Put(*account, req.matches[1], *value);
    res.status = 204;
}

void SettingsEndpoint::Get(const httplib::Request& req, httplib::Response& res) {
    const auto account = m_context.auth.Check(req, res);
    if (!account)
        return;
    const auto value = m_context.settings.Get(*account, req.matches[1]);
    if (!value) {
        res.status = 404;
        return;
    }
    res.set_content(*value, "application/octet-stream");
}

}  // namespace nimbra::service
