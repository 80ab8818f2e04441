#include "uip/UIPUpload/EngineActivation.h"

#include <dlfcn.h>

#include <cctype>
#include <cerrno>

#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "uip/UIPUpload/ClassRegistry.h"

namespace {

// What each engine library serves. Only OrvUpLoad and OrvGlobals are ever created by this module; the media,
// import/export, messaging and phone libraries are not part of this product, so their lists are empty.
const char* const kOrvUCClasses[] = {"{6B1E2A42-3C7D-4E52-9A10-5D2B7F31C002}", ""};
const char* const kOrvMediaClasses[] = {""};
const char* const kOrvImpExpClasses[] = {""};
const char* const kOrvIMUClasses[] = {""};
const char* const kOrvUSBPhoneClasses[] = {""};
const char* const kOrvULDClasses[] = {"{6B1E2A41-3C7D-4E52-9A10-5D2B7F31C001}", ""};

std::string UpperCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

CEngineActivation::CEngineActivation(std::initializer_list<EngineLibraryClasses> libraries) {
    for (const EngineLibraryClasses& library : libraries) {
        LibraryRecord& record = m_libraries.emplace_back();
        record.fileName = library.fileName;
        for (int i = 0; i < kMaxClassesPerLibrary && library.classIds[i] && *library.classIds[i]; ++i) {
            m_table.emplace(UpperCase(library.classIds[i]), &record);
        }
    }
}

CEngineActivation& CEngineActivation::Engine() {
    static CEngineActivation table{{"libOrvUC.so", kOrvUCClasses},
                                   {"libOrvMedia.so", kOrvMediaClasses},
                                   {"libOrvImpExp.so", kOrvImpExpClasses},
                                   {"libOrvIMU.so", kOrvIMUClasses},
                                   {"libOrvUSBPhone.so", kOrvUSBPhoneClasses},
                                   {"libOrvULD.so", kOrvULDClasses}};
    return table;
}

HRESULT CEngineActivation::CreateInstance(const CLSID& clsid, const IID& iid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (const DllGetClassObjectFn getClassObject = ClassObjectExport(clsid)) {
        if (SUCCEEDED(CreateFromLibrary(getClassObject, clsid, iid, ppv))) {
            return S_OK;
        }
    }
    return CClassRegistry::Process().CreateInstance(clsid, iid, ppv);
}

std::string CEngineActivation::LibraryOf(const CLSID& clsid) {
    std::lock_guard lock(m_lock);
    const LibraryRecord* library = Find(clsid);
    return library ? library->fileName : std::string();
}

int32_t CEngineActivation::LastError(const CLSID& clsid) {
    std::lock_guard lock(m_lock);
    const LibraryRecord* library = Find(clsid);
    return library ? library->lastError : 0;
}

CEngineActivation::LibraryRecord* CEngineActivation::Find(const CLSID& clsid) {
    const auto it = m_table.find(UpperCase(GuidToString(clsid)));
    return it == m_table.end() ? nullptr : it->second;
}

DllGetClassObjectFn CEngineActivation::ClassObjectExport(const CLSID& clsid) {
    std::lock_guard lock(m_lock);
    LibraryRecord* library = Find(clsid);
    if (!library || library->lastError != 0) {
        return nullptr;
    }
    if (!library->module && !LoadLibrary(*library)) {
        return nullptr;
    }
    if (!library->getClassObject) {
        library->getClassObject =
            reinterpret_cast<DllGetClassObjectFn>(dlsym(library->module, "DllGetClassObject"));
    }
    return library->getClassObject;
}

HRESULT CEngineActivation::CreateFromLibrary(DllGetClassObjectFn getClassObject, const CLSID& clsid,
                                             const IID& iid, void** ppv) {
    void* factoryOut = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, &factoryOut);
    if (FAILED(hr) || !factoryOut) {
        return FAILED(hr) ? hr : E_POINTER;
    }
    auto factory = ComPtr<IClassFactory>::Attach(static_cast<IClassFactory*>(factoryOut));
    void* created = nullptr;
    hr = factory->CreateInstance(nullptr, IID_IUnknown, &created);
    factory.Release();
    if (FAILED(hr) || !created) {
        return FAILED(hr) ? hr : E_POINTER;
    }
    const auto object = ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(created));
    hr = object->QueryInterface(iid, ppv);
    if (FAILED(hr)) {
        *ppv = nullptr;
    }
    return hr;
}

bool CEngineActivation::LoadLibrary(LibraryRecord& library) {
    // A library some other part of the process already loaded is shared, not loaded twice.
    void* module = dlopen(library.fileName.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!module) {
        errno = 0;
        module = dlopen(library.fileName.c_str(), RTLD_NOW);
    }
    if (!module) {
        // Remembered for the life of the process: a library that cannot be loaded is not tried again.
        library.lastError = errno != 0 ? errno : ENOENT;
        const char* reason = dlerror();
        LOG_ERROR("CEngineActivation::LoadLibrary",
                  Utf8ToGb18030(reason ? reason : library.fileName).c_str());
        return false;
    }
    library.module = module;
    return true;
}
