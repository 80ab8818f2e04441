// The entry point of libOrvUC.so: the class object of OrvGlobals.

#include "engine/ComObject.h"
#include "engine/OrvGlobals.h"

extern "C" NIMBRA_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** ppv) {
    return nimbra::engine::GetClassObject(clsid, OrvULD::CLSID_OrvGlobals, iid, ppv, []() -> IUnknown* {
        return static_cast<OrvULD::IOrvGlobals*>(new nimbra::engine::OrvGlobals());
    });
}
