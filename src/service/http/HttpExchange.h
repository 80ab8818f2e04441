#pragma once

#include <functional>

#include "service/http/HttpRequest.h"
#include "service/http/HttpResponse.h"
#include "service/http/RequestBody.h"

namespace nimbra::service {

// One request and its answer, as a handler works on them on its worker thread.
class HttpExchange final {
public:
    HttpExchange(HttpRequest& request, HttpResponse& response, RequestBody& body, std::function<void()> abort)
        : m_request(request), m_response(response), m_body(body), m_abort(std::move(abort)) {}

    HttpRequest& Request() { return m_request; }
    const HttpRequest& Request() const { return m_request; }
    HttpResponse& Response() { return m_response; }
    RequestBody& Body() { return m_body; }
    // Cuts the connection at once; no answer is sent.
    void Abort() { m_abort(); }

private:
    HttpRequest& m_request;
    HttpResponse& m_response;
    RequestBody& m_body;
    std::function<void()> m_abort;
};

}  // namespace nimbra::service
