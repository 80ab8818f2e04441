#pragma once
// Everything the host offers the upload component besides its windows: the framework registrations,
// the login, configuration, settings and language components, the loaded component itself, and the
// order of a sign-in (engine variables, login, InitUIP, login notification) and a sign-out.

#include <QString>
#include <string>
#include <vector>

#include "ComponentLoader.h"
#include "LanguageTexts.h"
#include "LoginSession.h"
#include "NetDiskClient.h"
#include "NetworkWatcher.h"
#include "ServiceClient.h"
#include "SettingsStore.h"
#include "SysConfig.h"

namespace nimbra::app {

class HostSession final {
public:
    // programDir ends with '/' and holds the component, the engine, lang/ and the skins.
    HostSession(std::string programDir, const QString& language);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Offers a host interface (the windows register themselves here); null withdraws it.
    void Offer(const GUID& iid, IUSBase* object);

    // Loads the component once; null (see ComponentError) when it is missing or fails.
    IUICUpload* LoadComponent();
    IUICUpload* Component() const { return m_loader.Component(); }
    const std::string& ComponentError() const { return m_loader.Error(); }

    // Signed in, the service's reachability is watched and the component told when it changes.
    bool SignIn(const std::string& serviceUrl, const std::string& account, const std::string& password,
                std::string& error);
    void SignOut();
    void NotifyNetwork(bool connected);
    NetworkWatcher& Network() { return m_network; }

    const std::string& ProgramDir() const { return m_programDir; }
    LanguageTexts& Texts() { return m_texts; }
    LoginSession& Login() { return m_login; }
    NetDiskClient& Disk() { return m_disk; }
    ServiceClient& Client() { return m_client; }

private:
    std::string m_programDir;
    ServiceClient m_client;
    LanguageTexts m_texts;
    LoginSession m_login;
    SysConfig m_sysConfig;
    SettingsStore m_settings;
    NetDiskClient m_disk;
    ComponentLoader m_loader;
    NetworkWatcher m_network;
    std::vector<GUID> m_offered;
};

// The words refused in tags and descriptions: one a line in lang/unsafe-words.txt.
std::vector<std::string> LoadUnsafeWords(const std::string& path);

}  // namespace nimbra::app
