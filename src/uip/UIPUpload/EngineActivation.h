#pragma once
// Creates the transfer engine's objects. The activation table knows which engine library serves each class
// identifier; the library is loaded by its bare file name and asked for the class through its
// DllGetClassObject export. When that cannot be done the class factories registered in the process
// (CClassRegistry) are asked instead.

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>

#include "platform/ComBase.h"

// The class identifiers one engine library serves, as texts; the list ends with an empty entry.
struct EngineLibraryClasses {
    const char* fileName;
    const char* const* classIds;
};

class CEngineActivation {
public:
    // Lists are read up to their empty entry and never beyond this many entries.
    static constexpr int kMaxClassesPerLibrary = 1024;

    explicit CEngineActivation(std::initializer_list<EngineLibraryClasses> libraries);
    CEngineActivation(const CEngineActivation&) = delete;
    CEngineActivation& operator=(const CEngineActivation&) = delete;

    // The table of the engine's libraries, built once per process.
    static CEngineActivation& Engine();

    // An object of clsid asked for iid, from its library or else from the registered class factories.
    // On failure *ppv is null and the result is the registered creation's HRESULT.
    HRESULT CreateInstance(const CLSID& clsid, const IID& iid, void** ppv);

    template <class T>
    HRESULT CreateInstance(const CLSID& clsid, const IID& iid, ComPtr<T>& out) {
        void* created = nullptr;
        const HRESULT hr = CreateInstance(clsid, iid, &created);
        out = ComPtr<T>::Attach(static_cast<T*>(created));
        return hr;
    }

    // The file name of the library serving clsid; empty when the table does not know the class.
    std::string LibraryOf(const CLSID& clsid);
    // The error that loading clsid's library stored (0 while none); such a library is not tried again.
    int32_t LastError(const CLSID& clsid);

private:
    struct LibraryRecord {
        int32_t lastError = 0;
        void* module = nullptr;
        std::string fileName;
        DllGetClassObjectFn getClassObject = nullptr;
    };

    LibraryRecord* Find(const CLSID& clsid);
    // The library's class-object export, loading the library and resolving the export on first use; null
    // when the table does not know the class or its library cannot be had.
    DllGetClassObjectFn ClassObjectExport(const CLSID& clsid);
    bool LoadLibrary(LibraryRecord& library);
    // Runs outside the lock: an engine object may create further engine objects while it is made.
    static HRESULT CreateFromLibrary(DllGetClassObjectFn getClassObject, const CLSID& clsid, const IID& iid,
                                     void** ppv);

    std::deque<LibraryRecord> m_libraries;
    std::map<std::string, LibraryRecord*> m_table;  // upper-case class identifier text -> its library
    std::mutex m_lock;
};
