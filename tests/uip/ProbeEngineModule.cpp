// A tiny engine library for the activation tests: served by its DllGetClassObject like the real engine
// libraries, with one class whose object answers IUnknown and a probe interface.

#include <atomic>

#include "ProbeEngine.h"

namespace {

std::atomic<int> g_liveFactories{0};

class ProbeObject final : public RefCounted<IProbe> {
public:
    HRESULT QueryInterface(const IID& iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IProbe) {
            AddRef();
            *ppv = static_cast<IProbe*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    int32_t Answer() override { return kProbeAnswer; }
};

class ProbeFactory final : public RefCounted<IClassFactory> {
public:
    ProbeFactory() { ++g_liveFactories; }
    ~ProbeFactory() override { --g_liveFactories; }
    HRESULT QueryInterface(const IID& iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            AddRef();
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** ppv) override {
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        auto object = ComPtr<ProbeObject>::Attach(new ProbeObject);
        return object->QueryInterface(iid, ppv);
    }
    HRESULT LockServer(bool) override { return S_OK; }
};

}  // namespace

extern "C" NIMBRA_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** ppv) {
    *ppv = nullptr;
    if (!(clsid == CLSID_Probe)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto factory = ComPtr<ProbeFactory>::Attach(new ProbeFactory);
    return factory->QueryInterface(iid, ppv);
}

extern "C" NIMBRA_EXPORT int ProbeLiveFactories() {
    return g_liveFactories;
}
