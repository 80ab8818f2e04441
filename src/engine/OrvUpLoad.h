#pragma once
// IOrvUpLoad: the engine object the adapter creates from libOrvULD.so.

#include <memory>

#include "engine/ComObject.h"
#include "engine/OrvULD.h"
#include "engine/TransferEngine.h"

namespace nimbra::engine {

class OrvUpLoad final : public ComObject<OrvULD::IOrvUpLoad, OrvULD::IID_IOrvUpLoad> {
public:
    OrvUpLoad();
    // Over an engine made elsewhere (with a clock of the caller's).
    explicit OrvUpLoad(std::shared_ptr<TransferEngine> engine);
    ~OrvUpLoad() override;

    ComPtr<OrvULD::IOrvFileInfo> AddUpLoadFile() override;
    HRESULT UpLoad(int32_t operateType) override;
    ComPtr<OrvULD::IOrvFileInfos> GetFileList() override;
    int32_t GetState() override { return m_engine->State(); }
    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Init(const std::string& account, const std::string& requestPath, const std::string& host,
                 int32_t port, const std::string& signOn, const std::string& databasePath) override;
    int32_t GetActiveTaskCount() override { return m_engine->ActiveTaskCount(); }
    HRESULT SyncUploadTask() override { return m_engine->SyncUploads(); }
    HRESULT Reserved2() override { return E_NOTIMPL; }
    ComPtr<OrvULD::IOrvFileInfo> DownLoad(const std::string& url, const std::string& account,
                                          const std::string& localPath) override;
    ComPtr<OrvULD::IOrvFileInfos> GetDownLoadList() override;
    HRESULT ProxyAddr(const std::string& address, int32_t port) override;
    HRESULT ProxyNameAndPwd(const std::string& name, const std::string& password) override;

private:
    std::shared_ptr<TransferEngine> m_engine;
};

}  // namespace nimbra::engine
