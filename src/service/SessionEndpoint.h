#pragma once

#include <httplib.h>

#include "service/ServiceContext.h"

namespace nimbra::service {

// POST /lumenoApp/login: checks the password and answers the login result document with a sign-on token.
class SessionEndpoint final {
public:
    explicit SessionEndpoint(ServiceContext& context) : m_context(context) {}
    void Register(httplib::Server& server);

private:
    void Login(const httplib::Request& req, httplib::Response& res);

    ServiceContext& m_context;
};

}  // namespace nimbra::service
