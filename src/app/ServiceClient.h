#pragma once
// Plain HTTP requests to the network-disk service (libcurl, one easy handle per request). Bodies are the
// service's UTF-8; the sign-on token, once set, goes with every request as a bearer token.

#include <string>
#include <utility>
#include <vector>

namespace nimbra::app {

struct ServiceReply {
    long status = 0;             // HTTP status, 0 when no answer arrived
    std::string body;            // answer body
    int errorCode = 0;           // X-Nimbra-Error, 0 when absent
    std::string transportError;  // why no answer arrived

    bool Ok() const { return status >= 200 && status < 300; }
    // One line for the user: the transport failure, or the status with the service's code.
    std::string Describe() const;
};

using FormFields = std::vector<std::pair<std::string, std::string>>;

class ServiceClient final {
public:
    explicit ServiceClient(std::string baseUrl);

    const std::string& BaseUrl() const { return m_baseUrl; }
    void SetBaseUrl(std::string baseUrl);
    void SetToken(std::string token) { m_token = std::move(token); }
    const std::string& Token() const { return m_token; }

    ServiceReply Get(const std::string& path) const;
    ServiceReply PostForm(const std::string& path, const FormFields& fields) const;
    ServiceReply Put(const std::string& path, const std::string& body) const;

private:
    enum class Method { Get, Post, Put };
    ServiceReply Send(Method method, const std::string& path, const std::string& body,
                      const char* contentType) const;

    std::string m_baseUrl;  // "http://host:port", no trailing slash
    std::string m_token;
};

// application/x-www-form-urlencoded text of the fields.
std::string EncodeForm(const FormFields& fields);
// A path segment with everything but unreserved characters percent-encoded.
std::string EncodePathSegment(const std::string& text);

}  // namespace nimbra::app
