#pragma once
// A scripted host for tests: answers every host call the component makes and records what it was asked.
// The core part needs no windows; TestHost (TestHost.h) adds the main window and the network-disk page.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/Framework.h"
#include "host/HostIds.h"
#include "host/HostInterfaces.h"
#include "host/HostObject.h"

namespace testhost {

class Login final : public HostComponent<IUICLogin> {
public:
    Login() : HostComponent(IID_IUICLogin) {}
    long GetAccountInfo(std::string& account, std::string& password) override;
    long GetSelectedText(long selector, std::string& text) override;
    long UpdateSignOn(std::string& signOn) override;
    std::string GetLoginString() override { return loginString; }
    std::string GetUnsafeWords() override { return unsafeWords; }

    std::string account = "demo";
    std::string password = "demo";
    std::string loginString = "login-ticket";
    std::string unsafeWords;
    std::map<long, std::string> selectedTexts;  // selectors without an entry fail with -1
    std::string renewedSignOn;                  // what UpdateSignOn writes, when not empty
    std::vector<long> selectorsAsked;
    int signOnUpdates = 0;
};

class SysConfig final : public HostObject<IUISysConfig> {
public:
    SysConfig() : HostObject(IID_IUISysConfig) {}
    tagSysConfig GetSysConfig() override { return config; }
    tagSysConfig config{"http://127.0.0.1:8080/", "sign-on"};
};

class Settings final : public HostComponent<IUICSet> {
public:
    Settings() : HostComponent(IID_IUICSet) {}
    long StoreValue(const std::string& name, const std::vector<long>& ids) override;
    std::map<std::string, std::vector<long>> stored;
    long result = 0;
};

class Lang final : public HostObject<IORVALang> {
public:
    Lang() : HostObject(IID_IORVALang) {}
    std::string GetLangString(const char* key, const char* section) override;
    // (section, key) -> text; unknown keys answer an empty text.
    std::map<std::pair<std::string, std::string>, std::string> texts;
    std::vector<std::pair<std::string, std::string>> asked;
};

// Owns the windowless host objects and registers them with the framework; forgets everything on destruction.
class TestHostCore {
public:
    TestHostCore();
    virtual ~TestHostCore();
    TestHostCore(const TestHostCore&) = delete;
    TestHostCore& operator=(const TestHostCore&) = delete;

    // Offers or withdraws one interface (by its identifier) to the component.
    void Offer(const GUID& iid, IUSBase* object);
    void Withdraw(const GUID& iid);

    Login login;
    SysConfig sysConfig;
    Settings settings;
    Lang lang;
};

}  // namespace testhost
