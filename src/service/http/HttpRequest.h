#pragma once

#include <map>
#include <string>
#include <vector>

#include "service/http/HttpHeaders.h"

namespace nimbra::service {

// A request's head as the handler sees it: the path percent-decoded, the fields of the query string (and
// of a form body once read), and what the route's pattern captured.
class HttpRequest final {
public:
    HttpRequest() = default;
    HttpRequest(std::string method, std::string target, HttpHeaders headers, std::string peer);

    const std::string& Method() const { return m_method; }
    const std::string& Target() const { return m_target; }
    const std::string& Path() const { return m_path; }
    const HttpHeaders& Headers() const { return m_headers; }
    std::string Header(std::string_view name) const { return m_headers.Value(name); }
    bool HasHeader(std::string_view name) const { return m_headers.Has(name); }
    // The client's address without its port, e.g. "127.0.0.1".
    const std::string& Peer() const { return m_peer; }

    bool HasParam(const std::string& name) const { return m_params.count(name) != 0; }
    // The first value of the field, or empty.
    std::string Param(const std::string& name) const;
    // Adds the fields of an application/x-www-form-urlencoded text.
    void AddForm(std::string_view form);
    bool HasFormBody() const;

    // Capture i of the route's pattern (0: the whole path).
    const std::string& Match(size_t i) const { return m_matches.at(i); }
    void SetMatches(std::vector<std::string> matches) { m_matches = std::move(matches); }

private:
    std::string m_method;
    std::string m_target;
    std::string m_path;
    HttpHeaders m_headers;
    std::string m_peer;
    std::multimap<std::string, std::string> m_params;
    std::vector<std::string> m_matches;
};

// %XX escapes decoded (and '+' as a space when `plusIsSpace`); a broken escape stays as it is.
std::string PercentDecoded(std::string_view text, bool plusIsSpace);

}  // namespace nimbra::service
