#include "EngineGlobals.h"

#include <dlfcn.h>

#include "engine/OrvULD.h"

namespace nimbra::app {

bool EngineGlobals::Set(const std::string& folder, const std::string& account, const ProxySettings& proxy,
                        std::string& error) {
    const std::string path = folder + "libOrvUC.so";
    // Kept loaded: the engine adapter loads the same library by name and must see the same variables.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown reason");
        return false;
    }
    const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!getClassObject) {
        error = path + " lacks DllGetClassObject";
        return false;
    }
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(OrvULD::CLSID_OrvGlobals, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory))) ||
        !factory) {
        error = "no class factory for OrvGlobals";
        return false;
    }
    OrvULD::IOrvGlobals* globals = nullptr;
    const HRESULT created =
        factory->CreateInstance(nullptr, OrvULD::IID_IOrvGlobals, reinterpret_cast<void**>(&globals));
    factory->Release();
    if (FAILED(created) || !globals) {
        error = "cannot create OrvGlobals";
        return false;
    }
    const bool stored = SUCCEEDED(globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, account)) &&
                        SUCCEEDED(globals->SetVariable(OrvULD::D_GLOBAL_PROXYADDR, proxy.address)) &&
                        SUCCEEDED(globals->SetVariable(OrvULD::D_GLOBAL_PROXYPORT, proxy.port)) &&
                        SUCCEEDED(globals->SetVariable(OrvULD::D_GLOBAL_PROXYNAME, proxy.name)) &&
                        SUCCEEDED(globals->SetVariable(OrvULD::D_GLOBAL_PROXYPSASSWORD, proxy.password));
    globals->Release();
    if (!stored)
        error = "the engine refused its variables";
    return stored;
}

}  // namespace nimbra::app
