#include "ReferenceClient.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

extern char** environ;

namespace nimbra::bench {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// One request with libcurl; returns the body (and the headers when asked).
std::string Exchange(const std::string& url, const std::string& method,
                     const std::vector<std::string>& headers, const std::string& body,
                     std::string* answerHeaders = nullptr) {
    CURL* curl = curl_easy_init();
    std::string answer;
    curl_slist* list = nullptr;
    for (const auto& header : headers) {
        list = curl_slist_append(list, header.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    if (answerHeaders) {
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Collect);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, answerHeaders);
    }
    curl_easy_perform(curl);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return answer;
}

}  // namespace

ReferenceClient::ReferenceClient(std::string serviceUrl) : m_serviceUrl(std::move(serviceUrl)) {}

std::string ReferenceClient::SignIn(const std::string& account, const std::string& password) const {
    const std::string answer = Exchange(m_serviceUrl + "/lumenoApp/login", "POST", {},
                                        "account=" + account + "&password=" + password);
    std::smatch match;
    return std::regex_search(answer, match, std::regex("<signOn>([^<]*)</signOn>")) ? match[1].str() : "";
}

std::string ReferenceClient::FileId(const std::string& token, const std::string& name) const {
    const std::string answer = Exchange(m_serviceUrl + "/lumenoApp/catalog/root/files", "GET",
                                        {"Authorization: Bearer " + token}, "");
    std::smatch match;
    const std::regex file("fileID=\"([0-9]+)\" name=\"" + name + "\"");
    return std::regex_search(answer, match, file) ? match[1].str() : "";
}

std::string ReferenceClient::CreateUpload(const std::string& token, const std::string& name,
                                          unsigned long long length) const {
    static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (size_t i = 0; i < name.size(); i += 3) {
        const uint32_t chunk = (static_cast<uint8_t>(name[i]) << 16) |
                               (i + 1 < name.size() ? static_cast<uint8_t>(name[i + 1]) << 8 : 0) |
                               (i + 2 < name.size() ? static_cast<uint8_t>(name[i + 2]) : 0);
        encoded += kBase64[(chunk >> 18) & 63];
        encoded += kBase64[(chunk >> 12) & 63];
        encoded += i + 1 < name.size() ? kBase64[(chunk >> 6) & 63] : '=';
        encoded += i + 2 < name.size() ? kBase64[chunk & 63] : '=';
    }
    std::string headers;
    Exchange(m_serviceUrl + "/lumenoApp/share/pc_uploadFileRequest", "POST",
             {"Authorization: Bearer " + token, "Tus-Resumable: 1.0.0",
              "Upload-Length: " + std::to_string(length), "Upload-Metadata: filename " + encoded},
             "", &headers);
    std::smatch match;
    return std::regex_search(headers, match, std::regex("[Ll]ocation: *([^\r\n]+)")) ? match[1].str() : "";
}

bool ReferenceClient::Curl(const std::vector<std::string>& args) {
    std::vector<std::string> line{"curl", "-s", "-f"};
    line.insert(line.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : line) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // Answers to uploads go nowhere, as the engine drops them too.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace nimbra::bench
