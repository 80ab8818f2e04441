#pragma once

#include "service/FaultInjector.h"
#include "service/ServiceContext.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// File bytes and thumbnails of the signed-in account, and the public static folder (skin archives).
class DownloadEndpoint final {
public:
    // `faults` is null unless the service runs with test hooks.
    DownloadEndpoint(ServiceContext& context, FaultInjector* faults) : m_context(context), m_faults(faults) {}
    void Register(HttpRoutes& routes);

private:
    void File(HttpExchange& exchange, bool thumbnail);
    void Static(HttpExchange& exchange);

    int64_t DropAfter() { return m_faults ? m_faults->TakeDropAfter() : -1; }

    ServiceContext& m_context;
    FaultInjector* m_faults;
};

}  // namespace nimbra::service
