#include "LoginSession.h"

#include <algorithm>
#include <cctype>

#include "platform/CodePage.h"

namespace nimbra::app {

namespace {

// The component lower-cases the user's text but not the words, so a word must be lower case to match;
// a comma would split it.
std::string JoinWords(const std::vector<std::string>& words) {
    std::string joined;
    for (std::string word : words) {
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (word.empty() || word.find(',') != std::string::npos)
            continue;
        if (!joined.empty())
            joined += ',';
        joined += word;
    }
    return Utf8ToGb18030(joined);
}

}  // namespace

LoginSession::LoginSession(ServiceClient& client, const std::vector<std::string>& unsafeWords)
    : HostComponent(IID_IUICLogin), m_client(client), m_unsafeWords(JoinWords(unsafeWords)) {}

bool LoginSession::SignIn(const std::string& account, const std::string& password, std::string& error) {
    ServiceClient anonymous(m_client.BaseUrl());
    const ServiceReply reply =
        anonymous.PostForm("/lumenoApp/login", {{"account", account}, {"password", password}});
    const auto result = ReadLoginResult(reply.body);
    if (!result) {
        error = reply.Ok() ? "unreadable login answer" : reply.Describe();
        return false;
    }
    if (result->resultCode != 0) {
        error = "login refused (error " + std::to_string(result->resultCode) + ")";
        return false;
    }
    m_account = account;
    m_password = password;
    m_document = reply.body;
    m_result = *result;
    m_client.SetToken(m_result.signOn);
    return true;
}

void LoginSession::SignOut() {
    m_result = {};
    m_document.clear();
    m_password.clear();
    m_client.SetToken({});
}

std::string LoginSession::LoginDocument() const {
    return Utf8ToGb18030(m_document);
}

long LoginSession::GetAccountInfo(std::string& account, std::string& password) {
    if (!SignedIn())
        return -1;
    account = Utf8ToGb18030(m_account);
    password = Utf8ToGb18030(m_password);
    return 0;
}

long LoginSession::GetSelectedText(long selector, std::string& text) {
    if (!SignedIn() || (selector != 1 && selector != 7))
        return -1;
    text = selector == 7 ? m_client.BaseUrl() + " " + m_result.signOn : m_result.signOn;
    return 0;
}

long LoginSession::UpdateSignOn(std::string& signOn) {
    if (!SignedIn())
        return -1;
    const ServiceReply probe = m_client.Get("/lumenoApp/catalog");
    if (probe.status == 401) {
        std::string error;
        if (!SignIn(m_account, m_password, error))
            return -1;
    } else if (!probe.Ok()) {
        return -1;
    }
    signOn = m_result.signOn;
    return 0;
}

}  // namespace nimbra::app
