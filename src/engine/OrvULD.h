#pragma once
// The transfer engine's contract: what the engine adapter calls and the engine libraries implement.
// Texts cross as UTF-8. Sizes and byte counts are 64-bit. A failing call throws ComError;
// commands return their (succeeding) HRESULT.

#include <cstdint>
#include <string>

#include "platform/ComBase.h"

namespace OrvULD {

enum ORV_UPLOAD_SESSION_STATE : int32_t {
    ORV_SESSION_STATE_READY = 0,
    ORV_SESSION_STATE_AUTH_OK = 1,
    ORV_SESSION_STATE_RUNNING = 2,
    ORV_SESSION_STATE_WAIT_SYNC_UPLOAD = 3,
    ORV_SESSION_STATE_SYNC_UPLOADED = 4,
    ORV_SESSION_STATE_PAUSE = 5,
    ORV_SESSION_STATE_WAIT_DELETE = 6,
    ORV_SESSION_STATE_DELETED = 7,
    ORV_SESSION_STATE_SCCESS = 8,
    ORV_SESSION_STATE_FAIL = 9,
    ORV_SESSION_STATE_ERROR = 10,
};

enum ORV_UPLOAD_OPERATE_TYPE : int32_t {
    ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID = 0,
};

// Error codes a task reports in errorCode (0 while none).
enum OrvErrorCode : int32_t {
    ORV_ERROR_NONE = 0,
    ORV_ERROR_NETWORK = 8000,
    ORV_ERROR_LOCAL_FILE = 9156,
    ORV_ERROR_NO_CATALOG = 9162,
    ORV_ERROR_NO_SPACE = 9436,
    ORV_ERROR_SIGNON_EXPIRED = 9476,
    ORV_ERROR_REFUSED = 9493,
};

// One task. Property accessors follow the get/put naming of the original wrappers.
class NIMBRA_EXPORT IOrvFileInfo : public IUnknown {
public:
    virtual int32_t GetFileID() = 0;
    virtual ORV_UPLOAD_SESSION_STATE GetState() = 0;
    virtual std::string GetfileName() = 0;
    virtual void PutfileName(const std::string& path) = 0;
    virtual uint64_t GetProgress() = 0;
    virtual uint64_t GetFileSize() = 0;
    virtual void PutFileSize(uint64_t size) = 0;
    virtual int32_t GeterrorCode() = 0;
    virtual void PutFileDescription(const std::string& text) = 0;
    virtual void PutComlexFlag(bool flag) = 0;
    virtual void PutComlexCID(const std::string& id) = 0;
    virtual void PutAppType(const std::string& type) = 0;
    virtual void PutParentCatalogID(const std::string& id) = 0;
    virtual void PutNewCataLogName(const std::string& name) = 0;
    virtual void PutTag(const std::string& tag) = 0;
    virtual void PutMiniatureFileName(const std::string& path) = 0;
    virtual void PutMiniatureFileSize(uint64_t size) = 0;
    virtual void PutSSOKey(const std::string& key) = 0;
    // The task's display name (the file-name part of its path, or the remote name of a download).
    virtual std::string GetDisplayName() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Resume() = 0;
    virtual HRESULT Abort() = 0;
    virtual HRESULT Delete() = 0;
    virtual HRESULT ContUpload() = 0;
    virtual HRESULT ContDownLoad() = 0;
    // A task cut off by the network waits in state READY with errorCode ORV_ERROR_NETWORK for its next
    // try, which the engine makes by itself: the milliseconds until then, or -1 when none is planned.
    virtual int64_t GetNextTryIn() = 0;
};

// A snapshot list of tasks. Item and Find return a new reference, or null.
class NIMBRA_EXPORT IOrvFileInfos : public IUnknown {
public:
    virtual int32_t Count() = 0;
    virtual ComPtr<IOrvFileInfo> Item(int32_t index) = 0;
    virtual ComPtr<IOrvFileInfo> Find(int32_t fileId) = 0;
};

class NIMBRA_EXPORT IOrvUpLoad : public IUnknown {
public:
    virtual ComPtr<IOrvFileInfo> AddUpLoadFile() = 0;
    virtual HRESULT UpLoad(int32_t operateType) = 0;
    virtual ComPtr<IOrvFileInfos> GetFileList() = 0;
    // 1 while unbound or synchronising, else 0.
    virtual int32_t GetState() = 0;
    virtual HRESULT Reserved1() = 0;  // never called; keeps the slots of the operations below
    // Binds to an account: (account, request path, host, port, sign-on text, task database path).
    virtual HRESULT Init(const std::string& account, const std::string& requestPath, const std::string& host,
                         int32_t port, const std::string& signOn, const std::string& databasePath) = 0;
    virtual int32_t GetActiveTaskCount() = 0;
    virtual HRESULT SyncUploadTask() = 0;
    virtual HRESULT Reserved2() = 0;  // never called
    // (source URL, account, local path).
    virtual ComPtr<IOrvFileInfo> DownLoad(const std::string& url, const std::string& account,
                                          const std::string& localPath) = 0;
    virtual ComPtr<IOrvFileInfos> GetDownLoadList() = 0;
    virtual HRESULT ProxyAddr(const std::string& address, int32_t port) = 0;
    virtual HRESULT ProxyNameAndPwd(const std::string& name, const std::string& password) = 0;
};

// Declared for completeness: the program polls and never subscribes to these.
class NIMBRA_EXPORT IOrvUpLoadEvents : public IUnknown {
public:
    virtual HRESULT OnResult(IOrvFileInfo* task) = 0;
    virtual HRESULT OnProgress(IOrvFileInfo* task) = 0;
};

// Process-wide settings of the engine. The host writes them with SetVariable before it signs in.
class NIMBRA_EXPORT IOrvGlobals : public IUnknown {
public:
    // The value of a key as text; empty for an unknown key.
    virtual std::string GetVariable(const std::string& key) = 0;
    virtual HRESULT SetVariable(const std::string& key, const std::string& value) = 0;
};

inline constexpr const char* D_GLOBAL_USERNAME = "username";
inline constexpr const char* D_GLOBAL_PROXYADDR = "proxyaddr";
inline constexpr const char* D_GLOBAL_PROXYPORT = "proxyport";
inline constexpr const char* D_GLOBAL_PROXYNAME = "proxyname";
inline constexpr const char* D_GLOBAL_PROXYPSASSWORD = "proxypassword";

// Class identifiers: OrvUpLoad is served by libOrvULD.so, OrvGlobals by libOrvUC.so.
inline constexpr CLSID CLSID_OrvUpLoad = {
    0x6B1E2A41, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC0, 0x01}};
inline constexpr CLSID CLSID_OrvGlobals = {
    0x6B1E2A42, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC0, 0x02}};

inline constexpr IID IID_IOrvUpLoad = {
    0x6B1E2B01, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC1, 0x01}};
inline constexpr IID IID_IOrvFileInfos = {
    0x6B1E2B02, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC1, 0x02}};
inline constexpr IID IID_IOrvFileInfo = {
    0x6B1E2B03, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC1, 0x03}};
inline constexpr IID IID_IOrvUpLoadEvents = {
    0x6B1E2B04, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC1, 0x04}};
inline constexpr IID IID_IOrvGlobals = {
    0x6B1E2B05, 0x3C7D, 0x4E52, {0x9A, 0x10, 0x5D, 0x2B, 0x7F, 0x31, 0xC1, 0x05}};

}  // namespace OrvULD

// Exported by libOrvULD.so and libOrvUC.so.
extern "C" NIMBRA_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** ppv);
