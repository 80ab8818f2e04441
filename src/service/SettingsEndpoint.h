#pragma once

#include <httplib.h>

#include "service/ServiceContext.h"

namespace nimbra::service {

// PUT/GET /lumenoApp/settings/NAME: small values the client keeps per account.
class SettingsEndpoint final {
public:
    explicit SettingsEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(httplib::Server& server);

private:
    void Put(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader);
    void Get(const httplib::Request& req, httplib::Response& res);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
