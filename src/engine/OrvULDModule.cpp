// The entry point of libOrvULD.so: the class object of OrvUpLoad.

#include <curl/curl.h>

#include "engine/ComObject.h"
#include "engine/OrvUpLoad.h"

extern "C" NIMBRA_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** ppv) {
    // libcurl's global setup is not thread-safe on its own; doing it once here keeps the loader's thread in
    // charge.
    static const CURLcode curlReady = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (curlReady != CURLE_OK) {
        return E_FAIL;
    }
    return nimbra::engine::GetClassObject(clsid, OrvULD::CLSID_OrvUpLoad, iid, ppv, []() -> IUnknown* {
        return static_cast<OrvULD::IOrvUpLoad*>(new nimbra::engine::OrvUpLoad());
    });
}
