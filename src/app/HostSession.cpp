#include "HostSession.h"

#include <algorithm>
#include <fstream>

#include "EngineGlobals.h"
#include "host/Framework.h"

namespace nimbra::app {

std::vector<std::string> LoadUnsafeWords(const std::string& path) {
    std::vector<std::string> words;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty() && line.front() != '#')
            words.push_back(line);
    }
    return words;
}

HostSession::HostSession(std::string programDir, const QString& language)
    : m_programDir(std::move(programDir)),
      m_client(""),
      m_texts(QString::fromStdString(m_programDir + "lang")),
      m_login(m_client, LoadUnsafeWords(m_programDir + "lang/unsafe-words.txt")),
      m_sysConfig(m_login),
      m_settings(m_client),
      m_disk(m_client) {
    if (!m_texts.Use(language))
        m_texts.Use("zh_CN");
    Offer(IID_IORVALang, &m_texts);
    Offer(IID_IUICLogin, &m_login);
    Offer(IID_IUISysConfig, &m_sysConfig);
    Offer(IID_IUICSet, &m_settings);
    QObject::connect(&m_network, &NetworkWatcher::reachabilityChanged, &m_network,
                     [this](bool reachable) { NotifyNetwork(reachable); });
}

HostSession::~HostSession() {
    if (m_login.SignedIn())
        SignOut();
    for (const GUID& iid : m_offered)
        FW_RegisterInterface(&iid, nullptr);
}

void HostSession::Offer(const GUID& iid, IUSBase* object) {
    FW_RegisterInterface(&iid, object);
    const auto known = std::find(m_offered.begin(), m_offered.end(), iid);
    if (object && known == m_offered.end())
        m_offered.push_back(iid);
    if (!object && known != m_offered.end())
        m_offered.erase(known);
}

IUICUpload* HostSession::LoadComponent() {
    if (Component() || !ComponentError().empty())
        return Component();
    IUICUpload* component = m_loader.Load(m_programDir);
    // Offered like the host's own components: the component's dialogs find it there.
    if (component)
        Offer(IID_IUICUpload, component);
    return component;
}

bool HostSession::SignIn(const std::string& serviceUrl, const std::string& account,
                         const std::string& password, std::string& error) {
    if (m_login.SignedIn())
        SignOut();
    m_client.SetBaseUrl(serviceUrl);
    if (!m_login.SignIn(account, password, error))
        return false;
    if (IUICUpload* component = Component()) {
        // The engine binds its task database to this account when the component registers.
        std::string engineError;
        if (!EngineGlobals::Set(m_programDir, account, {}, engineError)) {
            error = engineError;
            m_login.SignOut();
            return false;
        }
        component->InitUIP(m_login.LoginDocument());
    }
    FW_DeliverNotify(NTF_LOGIN_SUCCEEDED);
    m_network.Start(QString::fromStdString(m_client.BaseUrl()));
    return true;
}

void HostSession::SignOut() {
    // Asked before the component hears of the logout: it also stores the paused uploads on the service,
    // which is worth a try only while the service answers.
    if (IUICUpload* component = Component(); component && m_network.Reachable())
        component->IsFileOnUploading();
    m_network.Stop();
    FW_DeliverNotify(NTF_LOGOUT);
    m_login.SignOut();
}

void HostSession::NotifyNetwork(bool connected) {
    FW_DeliverNotify(connected ? NTF_NETWORK_CONNECTED : NTF_NETWORK_DISCONNECTED);
}

}  // namespace nimbra::app
