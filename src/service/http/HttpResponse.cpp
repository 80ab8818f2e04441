#include "service/http/HttpResponse.h"

#include <unistd.h>

#include <ostream>

#include <boost/beast/http/status.hpp>

namespace nimbra::service {

HttpResponse::~HttpResponse() {
    if (m_file)
        close(m_file->fd);
}

void HttpResponse::SetContent(std::string body, const std::string& contentType) {
    m_body = std::move(body);
    SetHeader("Content-Type", contentType);
}

void HttpResponse::SetFile(int fd, int64_t offset, int64_t length, const std::string& contentType,
                           int64_t dropAfter) {
    if (m_file)
        close(m_file->fd);
    m_file = FileBody{fd, offset, length, dropAfter};
    m_body.clear();
    SetHeader("Content-Type", contentType);
}

int64_t HttpResponse::ContentLength() const {
    return m_file ? m_file->length : static_cast<int64_t>(m_body.size());
}

bool HttpResponse::ClosesConnection() const {
    return m_headers.Lists("Connection", "close");
}

std::string ReasonPhrase(int status) {
    if (status == 460)
        return "Checksum Mismatch";
    const auto reason = boost::beast::http::obsolete_reason(static_cast<boost::beast::http::status>(status));
    return reason == "<unknown-status>" ? std::string("Unknown") : std::string(reason);
}

}  // namespace nimbra::service
