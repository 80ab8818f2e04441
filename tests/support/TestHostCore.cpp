#include "TestHostCore.h"

namespace testhost {

long Login::GetAccountInfo(std::string& accountOut, std::string& passwordOut) {
    accountOut = account;
    passwordOut = password;
    return 0;
}

long Login::GetSelectedText(long selector, std::string& text) {
    selectorsAsked.push_back(selector);
    const auto it = selectedTexts.find(selector);
    if (it == selectedTexts.end()) {
        return -1;
    }
    text = it->second;
    return 0;
}

long Login::UpdateSignOn(std::string& signOn) {
    ++signOnUpdates;
    if (!renewedSignOn.empty()) {
        signOn = renewedSignOn;
    }
    return 0;
}

long Settings::StoreValue(const std::string& name, const std::vector<long>& ids) {
    if (result == 0) {
        stored[name] = ids;
    }
    return result;
}

std::string Lang::GetLangString(const char* key, const char* section) {
    asked.emplace_back(section, key);
    const auto it = texts.find({section, key});
    return it == texts.end() ? std::string() : it->second;
}

TestHostCore::TestHostCore() {
    FW_Reset();
    Offer(IID_IUICLogin, &login);
    Offer(IID_IUISysConfig, &sysConfig);
    Offer(IID_IUICSet, &settings);
    Offer(IID_IORVALang, &lang);
}

TestHostCore::~TestHostCore() {
    FW_Reset();
}

void TestHostCore::Offer(const GUID& iid, IUSBase* object) {
    FW_RegisterInterface(&iid, object);
}

void TestHostCore::Withdraw(const GUID& iid) {
    FW_RegisterInterface(&iid, nullptr);
}

}  // namespace testhost
