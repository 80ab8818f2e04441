#pragma once

#include "service/ServiceContext.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// The catalog document, catalog creation, the current catalog and a catalog's file list.
class CatalogEndpoint final {
public:
    explicit CatalogEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(HttpRoutes& routes);

private:
    void Document(HttpExchange& exchange);
    void Create(HttpExchange& exchange);
    void SetCurrent(HttpExchange& exchange);
    void Files(HttpExchange& exchange);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
