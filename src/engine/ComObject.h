#pragma once
// The common part of the engine's COM objects: reference counting and QueryInterface for IUnknown plus the
// one interface each object implements.

#include "platform/ComBase.h"

namespace nimbra::engine {

template <class Interface, const IID& kInterfaceId>
class ComObject : public RefCounted<Interface> {
public:
    HRESULT QueryInterface(const IID& iid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == kInterfaceId) {
            *ppv = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
};

// A class factory that makes objects of one class, each created by make() with one reference.
template <class Make>
class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(Make make) : m_make(std::move(make)) {}

    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        IUnknown* object = nullptr;
        try {
            object = m_make();
        } catch (const ComError& error) {
            return error.Error();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = object->QueryInterface(iid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(bool) override { return S_OK; }

private:
    Make m_make;
};

// DllGetClassObject for a library serving one class.
template <class Make>
HRESULT GetClassObject(const CLSID& clsid, const CLSID& served, const IID& iid, void** ppv, Make make) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!(clsid == served)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new ClassFactory<Make>(std::move(make));
    const HRESULT hr = factory->QueryInterface(iid, ppv);
    factory->Release();
    return hr;
}

}  // namespace nimbra::engine
