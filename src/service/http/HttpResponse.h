#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/http/HttpHeaders.h"

namespace nimbra::service {

// What a handler answers: a status, header fields, and a body held in memory or read from an open file.
class HttpResponse final {
public:
    // Bytes of an open file, sent as the body; the descriptor belongs to the answer.
    struct FileBody {
        int fd = -1;
        int64_t offset = 0;
        int64_t length = 0;
        int64_t dropAfter = -1;  // >= 0: the connection is cut after that many body bytes (test hook)
    };

    HttpResponse() = default;
    ~HttpResponse();
    HttpResponse(const HttpResponse&) = delete;
    HttpResponse& operator=(const HttpResponse&) = delete;

    int status = 200;

    void SetHeader(const std::string& name, std::string value) { m_headers.Set(name, std::move(value)); }
    void EraseHeader(std::string_view name) { m_headers.Erase(name); }
    bool HasHeader(std::string_view name) const { return m_headers.Has(name); }
    std::string Header(std::string_view name) const { return m_headers.Value(name); }
    const HttpHeaders& Headers() const { return m_headers; }

    void SetContent(std::string body, const std::string& contentType);
    // Takes the descriptor over.
    void SetFile(int fd, int64_t offset, int64_t length, const std::string& contentType, int64_t dropAfter);
    const std::string& Body() const { return m_body; }
    const std::optional<FileBody>& File() const { return m_file; }
    // Bytes of the body, whichever kind it is.
    int64_t ContentLength() const;

    // The connection closes once this answer is sent.
    void CloseConnection() { SetHeader("Connection", "close"); }
    bool ClosesConnection() const;

private:
    HttpHeaders m_headers;
    std::string m_body;
    std::optional<FileBody> m_file;
};

// The reason text of a status ("Checksum Mismatch" for tus's 460).
std::string ReasonPhrase(int status);

}  // namespace nimbra::service
