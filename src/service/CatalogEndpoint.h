#pragma once

#include <httplib.h>

#include "service/ServiceContext.h"

namespace nimbra::service {

// The catalog document, catalog creation, the current catalog and a catalog's file list.
class CatalogEndpoint final {
public:
    explicit CatalogEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(httplib::Server& server);

private:
    void Document(const httplib::Request& req, httplib::Response& res);
    void Create(const httplib::Request& req, httplib::Response& res);
    void SetCurrent(const httplib::Request& req, httplib::Response& res);
    void Files(const httplib::Request& req, httplib::Response& res);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
