#pragma once

#include <httplib.h>

#include "service/ServiceContext.h"

namespace nimbra::service {

// File bytes and thumbnails of the signed-in account, and the public static folder (skin archives).
class DownloadEndpoint final {
public:
    explicit DownloadEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(httplib::Server& server);

private:
    void File(const httplib::Request& req, httplib::Response& res, bool thumbnail);
    void Static(const httplib::Request& req, httplib::Response& res);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
