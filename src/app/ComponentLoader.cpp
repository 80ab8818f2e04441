#include "ComponentLoader.h"

#include <dlfcn.h>

#include "host/HostIds.h"

namespace nimbra::app {

ComponentLoader::~ComponentLoader() {
    if (m_component)
        m_component->Release();
    if (m_uninitialize)
        m_uninitialize();
    // The library stays mapped: its Qt objects and static holders are torn down at process exit.
}

IUICUpload* ComponentLoader::Fail(std::string error) {
    m_error = std::move(error);
    return nullptr;
}

IUICUpload* ComponentLoader::Load(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + fileName;
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        const char* reason = dlerror();
        return Fail("cannot load " + path + ": " + (reason ? reason : "unknown reason"));
    }
    const auto initialize = reinterpret_cast<XSCInitializeFn>(dlsym(m_library, "XSCInitialize"));
    const auto query = reinterpret_cast<XSCQueryInterfaceFn>(dlsym(m_library, "XSCQueryInterface"));
    m_uninitialize = reinterpret_cast<XSCUninitializeFn>(dlsym(m_library, "XSCUninitialize"));
    if (!initialize || !query || !m_uninitialize) {
        m_uninitialize = nullptr;
        return Fail(path + " lacks the XSC entry points");
    }
    const unsigned char initRecord[XSC_INIT_RECORD_SIZE] = {};
    if (initialize(initRecord) != 0) {
        m_uninitialize = nullptr;
        return Fail("XSCInitialize of " + path + " failed");
    }
    std::vector<IUSBase*> interfaces;
    if (query(&IID_IUICUpload, &interfaces) != 1 || interfaces.empty() || !interfaces.back()) {
        return Fail("the component " + path + " did not give out IUICUpload");
    }
    m_component = dynamic_cast<IUICUpload*>(interfaces.back());
    if (!m_component) {
        interfaces.back()->Release();
        return Fail("the object " + path + " gave out is not an IUICUpload");
    }
    return m_component;
}

}  // namespace nimbra::app
