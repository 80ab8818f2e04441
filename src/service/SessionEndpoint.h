#pragma once

#include "service/ServiceContext.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// POST /lumenoApp/login: checks the password and answers the login result document with a sign-on token.
class SessionEndpoint final {
public:
    explicit SessionEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(HttpRoutes& routes);

private:
    void Login(HttpExchange& exchange);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
