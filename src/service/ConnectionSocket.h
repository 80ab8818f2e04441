#pragma once

#include <httplib.h>

namespace nimbra::service {

// The socket a request came on. The HTTP library does not hand it to handlers, so it is found by the
// connection's two port numbers and remembered for the worker thread, which serves one connection at a
// time.
class ConnectionSocket final {
public:
    // -1 when no open socket of this process matches the request.
    static int Of(const httplib::Request& req);
};

}  // namespace nimbra::service
