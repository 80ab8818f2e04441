#pragma once
// Loads the engine the way the adapter does: dlopen by bare file name, DllGetClassObject, class factory,
// CreateInstance, QueryInterface.

#include <string>

#include "engine/OrvULD.h"

namespace nimbra::engine {

class EngineLibrary final {
public:
    // Opens libOrvULD.so and libOrvUC.so; objects are null when a library could not be loaded.
    EngineLibrary();
    ~EngineLibrary();
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;

    ComPtr<OrvULD::IOrvUpLoad> CreateUpload() const;
    ComPtr<OrvULD::IOrvGlobals> CreateGlobals() const;
    DllGetClassObjectFn UploadEntry() const { return m_uploadEntry; }

private:
    template <class T>
    static ComPtr<T> Create(DllGetClassObjectFn entry, const CLSID& clsid, const IID& iid);

    void* m_upload = nullptr;
    void* m_globals = nullptr;
    DllGetClassObjectFn m_uploadEntry = nullptr;
    DllGetClassObjectFn m_globalsEntry = nullptr;
};

}  // namespace nimbra::engine
