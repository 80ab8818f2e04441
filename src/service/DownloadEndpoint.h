#pragma once

#include <httplib.h>

#include "service/FaultInjector.h"
#include "service/ServiceContext.h"

namespace nimbra::service {

// File bytes and thumbnails of the signed-in account, and the public static folder (skin archives).
class DownloadEndpoint final {
public:
    // `faults` is null unless the service runs with test hooks.
    DownloadEndpoint(ServiceContext& context, FaultInjector* faults) : m_context(context), m_faults(faults) {}
    void Register(httplib::Server& server);

private:
    void File(const httplib::Request& req, httplib::Response& res, bool thumbnail);
    void Static(const httplib::Request& req, httplib::Response& res);

    int64_t DropAfter() { return m_faults ? m_faults->TakeDropAfter() : -1; }

    ServiceContext& m_context;
    FaultInjector* m_faults;
};

}  // namespace nimbra::service
