#pragma once

#include "service/LoginThrottle.h"
#include "service/ServiceContext.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// POST /lumenoApp/login: checks the password and answers the login result document with a sign-on token;
// guesses are slowed down by the throttle (429 with Retry-After while an attempt must wait).
class SessionEndpoint final {
public:
    SessionEndpoint(ServiceContext& context, const ServiceClock& clock)
        : m_context(context), m_throttle(clock) {}
    void Register(HttpRoutes& routes);

private:
    void Login(HttpExchange& exchange);

    ServiceContext& m_context;
    LoginThrottle m_throttle;
};

}  // namespace nimbra::service
