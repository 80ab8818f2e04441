#pragma once
// The engine's process-wide variables (libOrvUC.so, IOrvGlobals): the account the engine binds its task
// database to and the proxy, set by the host before each login.

#include <string>

namespace nimbra::app {

struct ProxySettings {
    std::string address;
    std::string port;
    std::string name;
    std::string password;
};

class EngineGlobals final {
public:
    // folder ends with '/'. False with error set when the library or its object cannot be had.
    static bool Set(const std::string& folder, const std::string& account, const ProxySettings& proxy,
                    std::string& error);
};

}  // namespace nimbra::app
