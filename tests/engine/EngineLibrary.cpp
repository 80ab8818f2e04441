#include "EngineLibrary.h"

#include <dlfcn.h>

#include <filesystem>

namespace nimbra::engine {
namespace {

// By bare file name, as the adapter loads it. Under AddressSanitizer dlopen is called from the sanitizer's
// runtime, whose missing RUNPATH hides this executable's folder: then the folder is named explicitly.
void* Open(const char* name) {
    if (void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
        return library;
    }
    const auto beside = std::filesystem::canonical("/proc/self/exe").parent_path() / name;
    return dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
}

DllGetClassObjectFn Entry(void* library) {
    return library ? reinterpret_cast<DllGetClassObjectFn>(dlsym(library, "DllGetClassObject")) : nullptr;
}

}  // namespace

EngineLibrary::EngineLibrary()
    : m_upload(Open("libOrvULD.so")),
      m_globals(Open("libOrvUC.so")),
      m_uploadEntry(Entry(m_upload)),
      m_globalsEntry(Entry(m_globals)) {}

EngineLibrary::~EngineLibrary() {
    // Kept loaded: objects of a test may still be released after this, as in a host that never unloads.
}

template <class T>
ComPtr<T> EngineLibrary::Create(DllGetClassObjectFn entry, const CLSID& clsid, const IID& iid) {
    if (!entry) {
        return {};
    }
    void* out = nullptr;
    if (FAILED(entry(clsid, IID_IClassFactory, &out))) {
        return {};
    }
    auto factory = ComPtr<IClassFactory>::Attach(static_cast<IClassFactory*>(out));
    out = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IUnknown, &out))) {
        return {};
    }
    return ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(out)).As<T>(iid);
}

ComPtr<OrvULD::IOrvUpLoad> EngineLibrary::CreateUpload() const {
    return Create<OrvULD::IOrvUpLoad>(m_uploadEntry, OrvULD::CLSID_OrvUpLoad, OrvULD::IID_IOrvUpLoad);
}

ComPtr<OrvULD::IOrvGlobals> EngineLibrary::CreateGlobals() const {
    return Create<OrvULD::IOrvGlobals>(m_globalsEntry, OrvULD::CLSID_OrvGlobals, OrvULD::IID_IOrvGlobals);
}

}  // namespace nimbra::engine
