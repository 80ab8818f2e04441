#include "AdapterFixture.h"

#include <fstream>
#include <sstream>

#include "function/ToolsHelp.h"
#include "log/LogFile.h"
#include "platform/CodePage.h"
#include "uip/UIPUpload/ClassRegistry.h"

namespace {

size_t LogSize() {
    ModuleLog().Flush();
    std::ifstream file(ModuleLog().FilePath(), std::ios::binary | std::ios::ate);
    return file ? static_cast<size_t>(file.tellg()) : 0;
}

}  // namespace

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

void UIPAdapterTest::SetUp() {
    m_engine = ComPtr<scripted::Engine>::Attach(new scripted::Engine);
    m_globals = ComPtr<scripted::Globals>::Attach(new scripted::Globals);
    m_globals->variables[OrvULD::D_GLOBAL_USERNAME] = "demo";
    m_engineFactory = ComPtr<scripted::Factory>::Attach(new scripted::Factory(m_engine.Get()));
    m_globalsFactory = ComPtr<scripted::Factory>::Attach(new scripted::Factory(m_globals.Get()));
    RegisterClassFactory(OrvULD::CLSID_OrvUpLoad, m_engineFactory.Get());
    RegisterClassFactory(OrvULD::CLSID_OrvGlobals, m_globalsFactory.Get());
    m_logStart = LogSize();
}

void UIPAdapterTest::TearDown() {
    RevokeClassFactory(OrvULD::CLSID_OrvUpLoad);
    RevokeClassFactory(OrvULD::CLSID_OrvGlobals);
}

void UIPAdapterTest::Bind() {
    ASSERT_EQ(0, m_adapter.InitUIPComp());
    m_engine->calls.clear();
}

std::string UIPAdapterTest::LogSinceStart() const {
    ModuleLog().Flush();
    std::ifstream file(ModuleLog().FilePath(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(m_logStart));
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string UIPAdapterTest::DatabasePath(const std::string& account) {
    return Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + account + "/uploaddb.db";
}
