#pragma once
// The host's login component (IUICLogin): signs in to the service, keeps the sign-on token fresh and
// answers the component's questions about the account. Texts handed to the component are GB18030.

#include <string>

#include "ServiceClient.h"
#include "ServiceDocuments.h"
#include "host/HostIds.h"
#include "host/HostInterfaces.h"
#include "host/HostObject.h"

namespace nimbra::app {

class LoginSession final : public HostComponent<IUICLogin> {
public:
    // unsafeWords: the words refused in tags and descriptions (UTF-8).
    LoginSession(ServiceClient& client, const std::vector<std::string>& unsafeWords);

    // POST /lumenoApp/login; on success the token goes with every later request.
    bool SignIn(const std::string& account, const std::string& password, std::string& error);
    void SignOut();
    bool SignedIn() const { return !m_result.signOn.empty(); }
    const LoginResult& Result() const { return m_result; }
    // The login result document as the component reads it (GB18030).
    std::string LoginDocument() const;

    // Slot 12: account and password of the signed-in user; -1 when nobody is signed in.
    long GetAccountInfo(std::string& account, std::string& password) override;
    // Slot 14: selectors 1 (the sign-on token) and 7 (the outside editor's ticket: the service address and
    // the sign-on token, "http://HOST:PORT TOKEN", with which the editor asks the service about the token).
    long GetSelectedText(long selector, std::string& text) override;
    // Slot 17: writes a valid token into signOn, signing in again when the service refuses the old one.
    long UpdateSignOn(std::string& signOn) override;
    // Slot 18: the text the engine presents to the service: the sign-on token.
    std::string GetLoginString() override { return m_result.signOn; }
    // Slot 20.
    std::string GetUnsafeWords() override { return m_unsafeWords; }

private:
    ServiceClient& m_client;
    std::string m_unsafeWords;  // GB18030, comma-separated, lower case
    std::string m_account;
    std::string m_password;
    std::string m_document;  // UTF-8 as received
    LoginResult m_result;
};

}  // namespace nimbra::app
