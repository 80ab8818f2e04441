#include "service/SettingsEndpoint.h"

#include "service/HttpReply.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxValueBytes = 64 * 1024;
constexpr const char* kNamePattern = "/lumenoApp/settings/([A-Za-z0-9_.-]{1,64})";

}  // namespace

void SettingsEndpoint::Register(HttpRoutes& routes) {
    routes.Add(
        "PUT", kNamePattern, [this](HttpExchange& exchange) { Put(exchange); }, kMaxValueBytes);
    routes.Add("GET", kNamePattern, [this](HttpExchange& exchange) { Get(exchange); });
}

void SettingsEndpoint::Put(HttpExchange& exchange) {
    const auto account = m_context.auth.Check(exchange.Request(), exchange.Response());
    if (!account)
        return;
    const auto value = ReadBoundedBody(exchange, kMaxValueBytes);
    if (!value)
        return;
    m_context.settings.Put(*account, exchange.Request().Match(1), *value);
    exchange.Response().status = 204;
}

void SettingsEndpoint::Get(HttpExchange& exchange) {
    HttpResponse& res = exchange.Response();
    const auto account = m_context.auth.Check(exchange.Request(), res);
    if (!account)
        return;
    const auto value = m_context.settings.Get(*account, exchange.Request().Match(1));
    if (!value) {
        res.status = 404;
        return;
    }
    res.SetContent(*value, "application/octet-stream");
}

}  // namespace nimbra::service
