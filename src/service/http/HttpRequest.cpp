#include "service/http/HttpRequest.h"

namespace nimbra::service {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecoded(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += plusIsSpace && c == '+' ? ' ' : c;
    }
    return out;
}

HttpRequest::HttpRequest(std::string method, std::string target, HttpHeaders headers, std::string peer)
    : m_method(std::move(method)),
      m_target(std::move(target)),
      m_headers(std::move(headers)),
      m_peer(std::move(peer)) {
    const size_t question = m_target.find('?');
    m_path = PercentDecoded(std::string_view(m_target).substr(0, question), false);
    if (question != std::string::npos)
        AddForm(std::string_view(m_target).substr(question + 1));
}

std::string HttpRequest::Param(const std::string& name) const {
    const auto it = m_params.find(name);
    return it == m_params.end() ? std::string() : it->second;
}

void HttpRequest::AddForm(std::string_view form) {
    while (!form.empty()) {
        const size_t amp = form.find('&');
        const std::string_view pair = form.substr(0, amp);
        form = amp == std::string_view::npos ? std::string_view() : form.substr(amp + 1);
        if (pair.empty())
            continue;
        const size_t equals = pair.find('=');
        m_params.emplace(
            PercentDecoded(pair.substr(0, equals), true),
            equals == std::string_view::npos ? std::string() : PercentDecoded(pair.substr(equals + 1), true));
    }
}

bool HttpRequest::HasFormBody() const {
    const std::string type = Header("Content-Type");
    return EqualsIgnoringCase(TrimmedBlanks(std::string_view(type).substr(0, type.find(';'))),
                              "application/x-www-form-urlencoded");
}

}  // namespace nimbra::service
