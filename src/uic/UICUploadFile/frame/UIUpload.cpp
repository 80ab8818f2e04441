// The component library's entry points: the only symbols it exports.
#include <cstring>
#include <mutex>

#include "function/UIClassFactory.h"
#include "host/Framework.h"
#include "host/HostIds.h"
#include "host/IUICUpload.h"
#include "log/LogMacros.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"

namespace {

// The host's initialisation record, kept for the life of the module.
unsigned char g_initRecord[XSC_INIT_RECORD_SIZE];

struct Subscription {
    uint32_t id;
    const char* failureText;
};

// Subscribed in this order.
constexpr Subscription kSubscriptions[] = {
    {NTF_PLUGIN_DEREGISTER, "FW_ToCompSubNotify订阅插件注销消息失败"},
    {NTF_LOGIN_SUCCEEDED, "FW_ToCompSubNotify订阅登录成功消息失败"},
    {NTF_LOGOUT, "FW_ToCompSubNotify订阅注销消息失败"},
    {NTF_NETWORK_DISCONNECTED, "FW_ToCompSubNotify订阅网络断开消息失败"},
    {NTF_NETWORK_CONNECTED, "FW_ToCompSubNotify订阅网络连通消息失败"},
};

// Registered when the library is loaded, as the original's static construction did.
const bool g_classesRegistered = [] {
    RegisterComponentClasses();
    return true;
}();

}  // namespace

extern "C" {

NIMBRA_EXPORT long XSCNtfCallBack(uint32_t id);

NIMBRA_EXPORT long XSCInitialize(const void* initRecord) {
    static const char* const kName = "XSCInitialize";
    LOG_FUNCTION(kName);
    if (!initRecord) {
        LOG_NULL(kName, "pInitRecord");
        return -1;
    }
    std::memset(g_initRecord, 0, sizeof g_initRecord);
    std::memcpy(g_initRecord, initRecord, sizeof g_initRecord);
    for (const Subscription& subscription : kSubscriptions) {
        if (FW_ToCompSubNotify(subscription.id, &XSCNtfCallBack) != 0) {
            LOG_ERROR(kName, subscription.failureText);
        }
    }
    return 0;
}

NIMBRA_EXPORT long XSCQueryInterface(const GUID* id, std::vector<IUSBase*>* list) {
    static const char* const kName = "XSCQueryInterface";
    LOG_FUNCTION(kName);
    if (!id || !list || US_MemCmp(id, &IID_IUICUpload, sizeof(GUID)) != 0) {
        return 0;
    }
    RegisterComponentClasses();
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component) {
        LOG_NULL(kName, "pUICUploadComp");
        return 0;
    }
    void* out = nullptr;
    if (component->QueryInterface(*id, &out) == 1) {
        LOG_INFO(kName, "查询上传界面IUICUpload成功");
        list->push_back(static_cast<IUICUpload*>(out));
        return 1;
    }
    LOG_INFO(kName, "查询上传界面IUICUpload失败");
    component->Release();
    return 0;
}

NIMBRA_EXPORT long XSCCmdCallBack() {
    LOG_FUNCTION("XSCCmdCallBack");
    return XSC_NTF_HANDLED;
}

NIMBRA_EXPORT long XSCNtfCallBack(uint32_t id) {
    static const char* const kName = "XSCNtfCallBack";
    LOG_FUNCTION(kName);
    RegisterComponentClasses();
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component) {
        LOG_NULL(kName, "pUICUploadComp");
        return XSC_NTF_NO_COMPONENT;
    }
    switch (id) {
        case NTF_LOGIN_SUCCEEDED:
            component->Register();
            break;
        case NTF_LOGOUT:
        case NTF_LOGOUT_OTHER:
            component->Deregister();
            component->Clean();
            break;
        case NTF_NETWORK_DISCONNECTED:
            component->OnNetworkState(0);
            break;
        case NTF_NETWORK_CONNECTED:
            component->OnNetworkState(1);
            break;
        default:
            break;
    }
    return XSC_NTF_HANDLED;
}

NIMBRA_EXPORT long XSCInformation(tagXSCInformation* info) {
    LOG_FUNCTION("XSCInformation");
    if (!info) {
        LOG_NULL("XSCInformation", "pInfo");
        return -1;
    }
    info->nValue1 = 308;
    info->nValue2 = 0;
    info->nValue3 = 1;
    info->nYear = 2006;
    info->nMonth = 12;
    info->nDay = 18;
    info->nValue4 = 2005;
    std::memset(info->szVendor, 0, sizeof info->szVendor);
    std::strncpy(info->szVendor, "Tarvik", sizeof info->szVendor - 1);
    std::memset(info->szDescription, 0, sizeof info->szDescription);
    std::strncpy(info->szDescription, "上传模块组件", sizeof info->szDescription - 1);
    return 0;
}

NIMBRA_EXPORT long XSCUninitialize() {
    LOG_FUNCTION("XSCUninitialize");
    FW_ToCompSubNotify(NTF_PLUGIN_DEREGISTER, &XSCNtfCallBack);
    return 0;
}
}
