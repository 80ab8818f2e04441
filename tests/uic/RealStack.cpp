#include "RealStack.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <pugixml.hpp>

#include "engine/OrvULD.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kPassword = "secret";
}

ScriptedDesktop::ScriptedDesktop() {
    Services::SetPrompts(&prompts);
    Services::SetSkin(&skin);
    Services::SetSound(&sound);
}

ScriptedDesktop::~ScriptedDesktop() {
    Services::SetPrompts(nullptr);
    Services::SetSkin(nullptr);
    Services::SetSound(nullptr);
}

void RealStack::Start(testhost::TestHost& host, const std::string& accountPrefix, bool testHooks) {
    // Loaded by path first: under the sanitizers a bare name is not searched beside the test.
    ASSERT_TRUE(dlopen(NIMBRA_ORVUC_PATH, RTLD_NOW | RTLD_LOCAL) &&
                dlopen(NIMBRA_ORVULD_PATH, RTLD_NOW | RTLD_LOCAL))
        << dlerror();
    std::string dir = "/tmp/nimbra-" + accountPrefix + "-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir.data()));
    m_dir = dir;
    nimbra::service::ServiceOptions options;
    options.dataDir = m_dir / "service";
    options.testHooks = testHooks;
    m_service = std::make_unique<nimbra::service::DiskService>(options);
    ASSERT_TRUE(m_service->Start()) << m_service->LastError();
    m_account = accountPrefix + "-" + std::to_string(getpid());
    ASSERT_TRUE(m_service->AddAccount(m_account, kPassword, int64_t{2} << 30));
    const auto login =
        Client().Post("/lumenoApp/login", httplib::Params{{"account", m_account}, {"password", kPassword}});
    ASSERT_TRUE(login);
    m_loginDoc = Utf8ToGb18030(login->body);
    pugi::xml_document doc;
    doc.load_string(login->body.c_str());
    m_token = doc.select_node("/root/result/signOn").node().text().as_string();
    ASSERT_FALSE(m_token.empty());
    host.login.loginString = m_token;
    host.sysConfig.config = {"http://127.0.0.1:" + std::to_string(Port()) + "/", m_token};

    ComPtr<OrvULD::IOrvGlobals> globals;
    ASSERT_EQ(S_OK, CEngineActivation::Engine().CreateInstance(OrvULD::CLSID_OrvGlobals,
                                                               OrvULD::IID_IOrvGlobals, globals));
    globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, m_account);
    g_IOrvaLange = nullptr;
    RegisterComponentClasses();
}

void RealStack::Stop() {
    if (IUIPUpload* adapter = CreateUIInstance<IUIPUpload>()) {
        adapter->Clean();
    }
    UISingleton<CUICUploadComp>::Destroy();
    g_IOrvaLange = nullptr;
    if (m_service) {
        m_service->Stop();
    }
    std::error_code ignored;
    if (!m_dir.empty()) {
        fs::remove_all(m_dir, ignored);
    }
    if (!m_account.empty()) {
        fs::remove_all(Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + m_account, ignored);
    }
}

CUICUploadComp* RealStack::SignedInComponent() {
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    EXPECT_NE(component, nullptr);
    if (!component) {
        return nullptr;
    }
    component->InitUIP(m_loginDoc);
    component->Register();
    EXPECT_NE(CreateUIInstance<IUIPUpload>()->GetUIPState(), 0);
    return component;
}

httplib::Client RealStack::Client() const {
    httplib::Client client("127.0.0.1", m_service->Port());
    if (!m_token.empty()) {
        client.set_bearer_token_auth(m_token);
    }
    return client;
}
