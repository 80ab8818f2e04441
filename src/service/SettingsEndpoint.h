#pragma once

#include "service/ServiceContext.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// PUT/GET /lumenoApp/settings/NAME: small values the client keeps per account.
class SettingsEndpoint final {
public:
    explicit SettingsEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(HttpRoutes& routes);

private:
    void Put(HttpExchange& exchange);
    void Get(HttpExchange& exchange);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
