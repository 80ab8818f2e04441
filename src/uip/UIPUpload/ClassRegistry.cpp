#include "uip/UIPUpload/ClassRegistry.h"

CClassRegistry& CClassRegistry::Process() {
    static CClassRegistry registry;
    return registry;
}

CClassRegistry::~CClassRegistry() {
    for (auto& [clsid, factory] : m_factories) {
        factory->Release();
    }
}

HRESULT CClassRegistry::Register(const CLSID& clsid, IClassFactory* factory) {
    if (!factory) {
        return E_POINTER;
    }
    factory->AddRef();
    IClassFactory* replaced = nullptr;
    {
        std::lock_guard lock(m_lock);
        IClassFactory*& slot = m_factories[clsid];
        replaced = slot;
        slot = factory;
    }
    if (replaced) {
        replaced->Release();
    }
    return S_OK;
}

HRESULT CClassRegistry::Revoke(const CLSID& clsid) {
    IClassFactory* factory = nullptr;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_factories.find(clsid);
        if (it == m_factories.end()) {
            return S_FALSE;
        }
        factory = it->second;
        m_factories.erase(it);
    }
    factory->Release();
    return S_OK;
}

HRESULT CClassRegistry::CreateInstance(const CLSID& clsid, const IID& iid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    ComPtr<IClassFactory> factory;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_factories.find(clsid);
        if (it == m_factories.end()) {
            return REGDB_E_CLASSNOTREG;
        }
        factory = ComPtr<IClassFactory>::Share(it->second);
    }
    // The factory runs outside the lock: creating an object may register or create other classes.
    void* created = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, &created);
    if (FAILED(hr)) {
        return hr;
    }
    if (!created) {
        return E_POINTER;
    }
    const auto object = ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(created));
    hr = object->QueryInterface(iid, ppv);
    if (FAILED(hr)) {
        *ppv = nullptr;
    }
    return hr;
}
