#pragma once
// Ordinary creation of engine classes: the class factories that code in this process registered for their
// class identifiers. Used when the activation table cannot create a class (a library missing, a class it
// does not serve), so a host or a test can install an engine of its own.

#include <map>
#include <mutex>

#include "platform/ComBase.h"

class CClassRegistry {
public:
    static CClassRegistry& Process();

    // Makes factory serve clsid (the registry keeps a reference); replaces an earlier registration.
    HRESULT Register(const CLSID& clsid, IClassFactory* factory);
    // Forgets the factory of clsid; S_FALSE when none was registered.
    HRESULT Revoke(const CLSID& clsid);
    // Creates an object of clsid as IUnknown and queries it for iid. REGDB_E_CLASSNOTREG when nothing serves
    // the class; *ppv is null on any failure.
    HRESULT CreateInstance(const CLSID& clsid, const IID& iid, void** ppv);

private:
    CClassRegistry() = default;
    ~CClassRegistry();

    std::mutex m_lock;
    std::map<CLSID, IClassFactory*> m_factories;
};

// The process-wide registry's operations under their familiar names.
inline HRESULT RegisterClassFactory(const CLSID& clsid, IClassFactory* factory) {
    return CClassRegistry::Process().Register(clsid, factory);
}
inline HRESULT RevokeClassFactory(const CLSID& clsid) {
    return CClassRegistry::Process().Revoke(clsid);
}
