#pragma once
// One HTTP exchange on a reusable libcurl easy handle: the request to make, where its body comes from and
// goes to, and the answer's status and headers. The scheduler's multi handle performs it.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace nimbra::engine {

// Credentials and proxy applied to every request of a transfer.
struct ConnectionSettings {
    std::string token;
    std::string proxyHost;
    int32_t proxyPort = 0;
    std::string proxyUser;
    std::string proxyPassword;
};

class HttpRequest final {
public:
    // Sends the body bytes [offset, offset + length) of an open file.
    struct FileBody {
        int fd = -1;
        uint64_t offset = 0;
        uint64_t length = 0;
    };
    // Receives body bytes of a successful (2xx) answer; returns false to stop the transfer.
    using BodySink = std::function<bool(const char* data, size_t size)>;
    // Body bytes sent so far in this request.
    using SendProgress = std::function<void(uint64_t sent)>;
    // Whether the bytes just sent are still what the source holds; asked before a checksum trailer goes out.
    using SourceCheck = std::function<bool()>;

    HttpRequest();
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Starts a new exchange on the same handle (its connection stays cached in the multi handle).
    void Prepare(const std::string& method, const std::string& url, const ConnectionSettings& settings);
    void AddHeader(const std::string& line);
    void SetFileBody(const FileBody& body);
    // The same, sent chunked and followed by an Upload-Checksum trailer with the CRC-32C of the bytes sent.
    void SetFileBodyWithChecksumTrailer(const FileBody& body);
    void SetSendProgress(SendProgress progress) { m_progress = std::move(progress); }
    void SetSourceCheck(SourceCheck check) { m_sourceCheck = std::move(check); }
    void SetSink(BodySink sink) { m_sink = std::move(sink); }
    // Called once the last header is added: hands the header list to the handle.
    CURL* Finish();
    CURL* Handle() const { return m_curl; }

    void Complete(CURLcode code);
    CURLcode Code() const { return m_code; }
    long Status() const { return m_status; }
    bool Ok() const { return m_code == CURLE_OK && m_status >= 200 && m_status < 300; }
    // True when the body could not be read in full from the local file.
    bool SourceFailed() const { return m_sourceFailed; }
    // The value of an answer header (name in lower case), or empty.
    std::string Header(const std::string& lowerName) const;

private:
    static size_t ReadBody(char* buffer, size_t size, size_t count, void* self);
    static size_t WriteBody(char* data, size_t size, size_t count, void* self);
    static size_t ReadHeader(char* data, size_t size, size_t count, void* self);
    static int WriteTrailer(curl_slist** trailers, void* self);

    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
    FileBody m_body;
    uint64_t m_sent = 0;
    bool m_checksumTrailer = false;
    uint32_t m_crc = 0;  // of the body bytes sent, when they end with a checksum trailer
    SendProgress m_progress;
    SourceCheck m_sourceCheck;
    BodySink m_sink;
    std::map<std::string, std::string> m_answerHeaders;
    CURLcode m_code = CURLE_OK;
    long m_status = 0;
    bool m_sourceFailed = false;
};

}  // namespace nimbra::engine
