#include "service/SettingsEndpoint.h"

#include "service/HttpReply.h"
#include "service/SqliteDb.h"

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
    const std::string& name = exchange.Request().Match(1);
    SqliteTransaction transaction(m_context.db);
    // A value counts against the quota with its name; one it replaces gives its bytes back.
    const auto old = m_context.settings.Get(*account, name);
    const auto before = static_cast<int64_t>(old ? name.size() + old->size() : 0);
    const int64_t added = static_cast<int64_t>(name.size() + value->size()) - before;
    if (added > 0 && added > m_context.space.Spare(*account))
        return ReplyError(exchange.Response(), 413, kErrorNoSpace);
    m_context.settings.Put(*account, name, *value);
    transaction.Commit();
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
