#include "engine/HttpRequest.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "engine/Checksum.h"
#include "io/Crc32c.h"

namespace nimbra::engine {
namespace {

std::string Trim(std::string text) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notSpace));
    text.erase(std::find_if(text.rbegin(), text.rend(), notSpace).base(), text.end());
    return text;
}

}  // namespace

HttpRequest::HttpRequest() : m_curl(curl_easy_init()) {}

HttpRequest::~HttpRequest() {
    curl_slist_free_all(m_headers);
    curl_easy_cleanup(m_curl);
}

void HttpRequest::Prepare(const std::string& method, const std::string& url,
                          const ConnectionSettings& settings) {
    if (m_checksumTrailer) {
        // libcurl 7.88 keeps trailer state in a handle past an interrupted transfer: start on a fresh one.
        curl_easy_cleanup(m_curl);
        m_curl = curl_easy_init();
    } else {
        curl_easy_reset(m_curl);
    }
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    m_body = {};
    m_sent = 0;
    m_checksumTrailer = false;
    m_crc = 0;
    m_progress = {};
    m_sourceCheck = {};
    m_sink = {};
    m_answerHeaders.clear();
    m_code = CURLE_OK;
    m_status = 0;
    m_sourceFailed = false;

    curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, 15L);
    // A stalled peer fails the request instead of hanging it: under 1 byte/s for 30 s.
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(m_curl, CURLOPT_BUFFERSIZE, 512L * 1024);
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD_BUFFERSIZE, 2L * 1024 * 1024);
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &HttpRequest::ReadHeader);
    curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &HttpRequest::WriteBody);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_PRIVATE, this);
    if (method == "HEAD") {
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    } else if (method != "GET") {
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (!settings.proxyHost.empty()) {
        curl_easy_setopt(m_curl, CURLOPT_PROXY, settings.proxyHost.c_str());
        if (settings.proxyPort > 0) {
            curl_easy_setopt(m_curl, CURLOPT_PROXYPORT, static_cast<long>(settings.proxyPort));
        }
        if (!settings.proxyUser.empty()) {
            curl_easy_setopt(m_curl, CURLOPT_PROXYUSERNAME, settings.proxyUser.c_str());
            curl_easy_setopt(m_curl, CURLOPT_PROXYPASSWORD, settings.proxyPassword.c_str());
        }
    }
    if (!settings.token.empty()) {
        AddHeader("Authorization: Bearer " + settings.token);
    }
    // Bodies go at once: waiting for "100 Continue" costs a round trip per chunk.
    AddHeader("Expect:");
}

void HttpRequest::AddHeader(const std::string& line) {
    m_headers = curl_slist_append(m_headers, line.c_str());
}

void HttpRequest::SetFileBody(const FileBody& body) {
    m_body = body;
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &HttpRequest::ReadBody);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(body.length));
}

void HttpRequest::SetFileBodyWithChecksumTrailer(const FileBody& body) {
    SetFileBody(body);
    m_checksumTrailer = true;
    // No length up front: libcurl sends the body chunked, which is what allows a trailer.
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(-1));
    curl_easy_setopt(m_curl, CURLOPT_TRAILERFUNCTION, &HttpRequest::WriteTrailer);
    curl_easy_setopt(m_curl, CURLOPT_TRAILERDATA, this);
    AddHeader("Transfer-Encoding: chunked");
    AddHeader("Trailer: Upload-Checksum");
}

CURL* HttpRequest::Finish() {
    curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headers);
    return m_curl;
}

void HttpRequest::Complete(CURLcode code) {
    m_code = code;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &m_status);
}

std::string HttpRequest::Header(const std::string& lowerName) const {
    const auto it = m_answerHeaders.find(lowerName);
    return it == m_answerHeaders.end() ? std::string() : it->second;
}

size_t HttpRequest::ReadBody(char* buffer, size_t size, size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const uint64_t left = request->m_body.length - request->m_sent;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size * count, left));
    if (want == 0) {
        return 0;
    }
    ssize_t got;
    do {
        got = pread(request->m_body.fd, buffer, want,
                    static_cast<off_t>(request->m_body.offset + request->m_sent));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // The file shrank or became unreadable: never pad the body with anything else.
        request->m_sourceFailed = true;
        return CURL_READFUNC_ABORT;
    }
    request->m_sent += static_cast<uint64_t>(got);
    if (request->m_checksumTrailer) {
        request->m_crc = io::Crc32c::Extend(request->m_crc, reinterpret_cast<const uint8_t*>(buffer),
                                            static_cast<size_t>(got));
    }
    if (request->m_progress) {
        request->m_progress(request->m_sent);
    }
    return static_cast<size_t>(got);
}

int HttpRequest::WriteTrailer(curl_slist** trailers, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    // The checksum covers the bytes as they were read: a file written to meanwhile may have mixed old and
    // new bytes, so the body is cut off before its end and the service keeps none of it.
    if (request->m_sourceCheck && !request->m_sourceCheck()) {
        request->m_sourceFailed = true;
        return CURL_TRAILERFUNC_ABORT;
    }
    const std::string line =
        std::string("Upload-Checksum: ") + Checksum::kAlgorithm + " " + Checksum::Base64(request->m_crc);
    curl_slist* appended = curl_slist_append(*trailers, line.c_str());
    if (!appended) {
        return CURL_TRAILERFUNC_ABORT;
    }
    *trailers = appended;
    return CURL_TRAILERFUNC_OK;
}

size_t HttpRequest::WriteBody(char* data, size_t size, size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(request->m_curl, CURLINFO_RESPONSE_CODE, &status);
    if (request->m_sink && status >= 200 && status < 300) {
        return request->m_sink(data, bytes) ? bytes : 0;
    }
    return bytes;  // error pages and bodies nobody asked for are dropped
}

size_t HttpRequest::ReadHeader(char* data, size_t size, size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const std::string line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        request->m_answerHeaders.clear();  // a new answer (after an interim one) starts
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        request->m_answerHeaders[name] = Trim(line.substr(colon + 1));
    }
    return size * count;
}

}  // namespace nimbra::engine
