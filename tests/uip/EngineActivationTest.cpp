// The activation table: which library serves a class, loading it by file name once, creating through its
// class-object export, and falling back to the class factories registered in the process.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ProbeEngine.h"
#include "engine/OrvULD.h"
#include "uip/UIPUpload/ClassRegistry.h"
#include "uip/UIPUpload/EngineActivation.h"

namespace fs = std::filesystem;

namespace {

// An object offering only IUnknown, for the registry.
class Plain final : public RefCounted<IUnknown> {
public:
    HRESULT QueryInterface(const IID& iid, void** ppv) override {
        if (iid == IID_IUnknown) {
            AddRef();
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
};

class PlainFactory final : public RefCounted<IClassFactory> {
public:
    HRESULT QueryInterface(const IID&, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT CreateInstance(IUnknown*, const IID& iid, void** ppv) override {
        auto object = ComPtr<Plain>::Attach(new Plain);
        return object->QueryInterface(iid, ppv);
    }
    HRESULT LockServer(bool) override { return S_OK; }
};

const std::string kProbeId = GuidToString(CLSID_Probe);

class ScratchDir {
public:
    ScratchDir() {
        char dir[] = "/tmp/nimbra-activation-XXXXXX";
        m_path = mkdtemp(dir);
    }
    ~ScratchDir() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

}  // namespace

TEST(UIPEngineActivation, EngineTableNamesTheServingLibraries) {
    CEngineActivation& table = CEngineActivation::Engine();
    EXPECT_EQ(&table, &CEngineActivation::Engine());
    EXPECT_EQ("libOrvULD.so", table.LibraryOf(OrvULD::CLSID_OrvUpLoad));
    EXPECT_EQ("libOrvUC.so", table.LibraryOf(OrvULD::CLSID_OrvGlobals));
    EXPECT_EQ("", table.LibraryOf(OrvULD::IID_IOrvUpLoad));
}

TEST(UIPEngineActivation, IdentifiersAreMatchedIgnoringCase) {
    std::string lower = kProbeId;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const char* const classes[] = {lower.c_str(), ""};
    CEngineActivation table{{"libProbe.so", classes}};
    EXPECT_EQ("libProbe.so", table.LibraryOf(CLSID_Probe));
}

TEST(UIPEngineActivation, ListsEndAtTheirEmptyEntryOrAfter1024Entries) {
    const std::string upLoad = GuidToString(OrvULD::CLSID_OrvUpLoad);
    const char* const stopped[] = {kProbeId.c_str(), "", upLoad.c_str(), ""};
    CEngineActivation first{{"libA.so", stopped}};
    EXPECT_EQ("libA.so", first.LibraryOf(CLSID_Probe));
    EXPECT_EQ("", first.LibraryOf(OrvULD::CLSID_OrvUpLoad)) << "read beyond the empty entry";

    // 1025 entries and no empty one: the last is never read.
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < 1025; ++i) {
        ids.push_back(GuidToString(GUID{i, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}));
    }
    std::vector<const char*> list;
    for (const std::string& id : ids) {
        list.push_back(id.c_str());
    }
    CEngineActivation second{{"libB.so", list.data()}};
    EXPECT_EQ("libB.so", second.LibraryOf(GUID{1023, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ("", second.LibraryOf(GUID{1024, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}));
}

TEST(UIPEngineActivation, RegisteredFactoriesServeUnknownClasses) {
    CEngineActivation table{std::initializer_list<EngineLibraryClasses>{}};
    ComPtr<IUnknown> object;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, table.CreateInstance(CLSID_Probe, IID_IUnknown, object));
    EXPECT_FALSE(object);

    auto factory = ComPtr<PlainFactory>::Attach(new PlainFactory);
    ASSERT_EQ(S_OK, RegisterClassFactory(CLSID_Probe, factory.Get()));
    EXPECT_EQ(S_OK, table.CreateInstance(CLSID_Probe, IID_IUnknown, object));
    EXPECT_TRUE(object);
    ComPtr<IProbe> probe;
    EXPECT_EQ(E_NOINTERFACE, table.CreateInstance(CLSID_Probe, IID_IProbe, probe));
    EXPECT_FALSE(probe);

    EXPECT_EQ(S_OK, RevokeClassFactory(CLSID_Probe));
    EXPECT_EQ(S_FALSE, RevokeClassFactory(CLSID_Probe));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, table.CreateInstance(CLSID_Probe, IID_IUnknown, object));
}

TEST(UIPEngineActivation, LibraryServesItsClassThroughItsExport) {
    const char* const classes[] = {kProbeId.c_str(), ""};
    CEngineActivation table{{NIMBRA_PROBE_MODULE, classes}};
    ComPtr<IProbe> probe;
    ASSERT_EQ(S_OK, table.CreateInstance(CLSID_Probe, IID_IProbe, probe));
    ASSERT_TRUE(probe);
    EXPECT_EQ(kProbeAnswer, probe->Answer());
    EXPECT_EQ(0, table.LastError(CLSID_Probe));

    void* module = dlopen(NIMBRA_PROBE_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, module) << "the library stays loaded";
    const auto liveFactories = reinterpret_cast<int (*)()>(dlsym(module, "ProbeLiveFactories"));
    ASSERT_NE(nullptr, liveFactories);
    EXPECT_EQ(0, liveFactories()) << "the class factory is released once the object exists";
    dlclose(module);

    // The object lacks the engine interface, and nothing is registered for it.
    ComPtr<OrvULD::IOrvUpLoad> engine;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, table.CreateInstance(CLSID_Probe, OrvULD::IID_IOrvUpLoad, engine));
    EXPECT_FALSE(engine);
}

TEST(UIPEngineActivation, LibraryThatCannotBeLoadedIsTriedOncePerProcess) {
    ScratchDir scratch;
    const std::string library = (scratch.Path() / "libProbeLater.so").string();
    const char* const classes[] = {kProbeId.c_str(), ""};
    CEngineActivation table{{library.c_str(), classes}};

    ComPtr<IProbe> probe;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, table.CreateInstance(CLSID_Probe, IID_IProbe, probe));
    EXPECT_NE(0, table.LastError(CLSID_Probe));

    // The library appears, but this table already gave up on it.
    fs::copy_file(NIMBRA_PROBE_MODULE, library);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, table.CreateInstance(CLSID_Probe, IID_IProbe, probe));
    EXPECT_FALSE(probe);

    CEngineActivation fresh{{library.c_str(), classes}};
    EXPECT_EQ(S_OK, fresh.CreateInstance(CLSID_Probe, IID_IProbe, probe));
    EXPECT_TRUE(probe);
}
