#include "ServiceClient.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace nimbra::app {

namespace {

// A request that hangs must not freeze the window for long; the service is on this machine.
constexpr long kConnectTimeoutSeconds = 5;
constexpr long kTransferTimeoutSeconds = 60;

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t CollectHeader(char* data, size_t size, size_t count, void* target) {
    const std::string line(data, size * count);
    static const std::string kName = "x-nimbra-error:";
    if (line.size() > kName.size()) {
        std::string lower = line.substr(0, kName.size());
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == kName)
            static_cast<ServiceReply*>(target)->errorCode = std::atoi(line.c_str() + kName.size());
    }
    return size * count;
}

bool IsUnreserved(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~';
}

std::string PercentEncode(const std::string& text, bool spaceAsPlus) {
    std::string out;
    for (unsigned char c : text) {
        if (IsUnreserved(c)) {
            out += static_cast<char>(c);
        } else if (c == ' ' && spaceAsPlus) {
            out += '+';
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

std::string ServiceReply::Describe() const {
    if (status == 0)
        return transportError.empty() ? "no answer" : transportError;
    std::string text = "HTTP " + std::to_string(status);
    if (errorCode != 0)
        text += " (error " + std::to_string(errorCode) + ")";
    return text;
}

std::string EncodeForm(const FormFields& fields) {
    std::string out;
    for (const auto& [name, value] : fields) {
        if (!out.empty())
            out += '&';
        out += PercentEncode(name, true) + '=' + PercentEncode(value, true);
    }
    return out;
}

std::string EncodePathSegment(const std::string& text) {
    return PercentEncode(text, false);
}

ServiceClient::ServiceClient(std::string baseUrl) {
    SetBaseUrl(std::move(baseUrl));
}

void ServiceClient::SetBaseUrl(std::string baseUrl) {
    m_baseUrl = std::move(baseUrl);
    while (!m_baseUrl.empty() && m_baseUrl.back() == '/')
        m_baseUrl.pop_back();
}

ServiceReply ServiceClient::Get(const std::string& path) const {
    return Send(Method::Get, path, {}, nullptr);
}

ServiceReply ServiceClient::PostForm(const std::string& path, const FormFields& fields) const {
    return Send(Method::Post, path, EncodeForm(fields), "application/x-www-form-urlencoded");
}

ServiceReply ServiceClient::Put(const std::string& path, const std::string& body) const {
    return Send(Method::Put, path, body, "application/octet-stream");
}

ServiceReply ServiceClient::Send(Method method, const std::string& path, const std::string& body,
                                 const char* contentType) const {
    ServiceReply reply;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        reply.transportError = "cannot create an HTTP request";
        return reply;
    }
    curl_slist* headers = nullptr;
    if (!m_token.empty())
        headers = curl_slist_append(headers, ("Authorization: Bearer " + m_token).c_str());
    if (contentType)
        headers = curl_slist_append(headers, (std::string("Content-Type: ") + contentType).c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl_slist_free_all);

    const std::string url = m_baseUrl + path;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &reply);
    if (method == Method::Post) {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
    } else if (method == Method::Put) {
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "PUT");
    }
    if (method != Method::Get) {
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    }
    const CURLcode result = curl_easy_perform(handle);
    if (result != CURLE_OK) {
        reply.transportError = curl_easy_strerror(result);
        reply.body.clear();
        return reply;
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply.status);
    return reply;
}

}  // namespace nimbra::app
