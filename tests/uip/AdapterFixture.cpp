#include "AdapterFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "log/LogFile.h"
#include "platform/CodePage.h"
#include "uip/UIPUpload/ClassRegistry.h"

namespace {

// The log goes to a folder of this run, set before anything logs.
const bool kLogDirectorySet = [] {
    char dir[] = "/tmp/nimbra-uip-test-XXXXXX";
    if (mkdtemp(dir)) {
        setenv("NIMBRA_LOG_DIR", dir, 1);
    }
    return true;
}();

RecordingCallBack* g_callBack = nullptr;

size_t LogSize() {
    std::ifstream file(ModuleLog().FilePath(), std::ios::binary | std::ios::ate);
    return file ? static_cast<size_t>(file.tellg()) : 0;
}

}  // namespace

long RecordingCallBack::OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) {
    RecordedEvent event;
    event.id = eventId;
    event.lParam = lParam;
    if (eventId == UIP_EVENT_UPLOAD_BATCH || eventId == UIP_EVENT_FOLDER_BATCH) {
        event.batch = *reinterpret_cast<const FileInfoList*>(wParam);
    } else {
        event.record = *reinterpret_cast<const tagFileInfo*>(wParam);
    }
    events.push_back(std::move(event));
    return 0;
}

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

void AdapterTest::SetUp() {
    ASSERT_TRUE(kLogDirectorySet);
    m_engine = ComPtr<scripted::Engine>::Attach(new scripted::Engine);
    m_globals = ComPtr<scripted::Globals>::Attach(new scripted::Globals);
    m_globals->variables[OrvULD::D_GLOBAL_USERNAME] = "demo";
    m_engineFactory = ComPtr<scripted::Factory>::Attach(new scripted::Factory(m_engine.Get()));
    m_globalsFactory = ComPtr<scripted::Factory>::Attach(new scripted::Factory(m_globals.Get()));
    RegisterClassFactory(OrvULD::CLSID_OrvUpLoad, m_engineFactory.Get());
    RegisterClassFactory(OrvULD::CLSID_OrvGlobals, m_globalsFactory.Get());
    g_callBack = &m_callBack;
    CUIClassFactory::Instance()->Register(typeid(IUIPCallBack),
                                          []() -> void* { return static_cast<IUIPCallBack*>(g_callBack); });
    m_logStart = LogSize();
}

void AdapterTest::TearDown() {
    CUIClassFactory::Instance()->Unregister(typeid(IUIPCallBack));
    g_callBack = nullptr;
    RevokeClassFactory(OrvULD::CLSID_OrvUpLoad);
    RevokeClassFactory(OrvULD::CLSID_OrvGlobals);
}

void AdapterTest::Bind() {
    ASSERT_EQ(0, m_adapter.InitUIPComp());
    m_engine->calls.clear();
}

std::string AdapterTest::LogSinceStart() const {
    std::ifstream file(ModuleLog().FilePath(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(m_logStart));
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string AdapterTest::DatabasePath(const std::string& account) {
    return Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + account + "/uploaddb.db";
}
