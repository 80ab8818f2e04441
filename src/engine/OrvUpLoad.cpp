#include "engine/OrvUpLoad.h"

#include "engine/OrvFileInfo.h"
#include "engine/OrvFileInfos.h"

namespace nimbra::engine {

OrvUpLoad::OrvUpLoad() : OrvUpLoad(std::make_shared<TransferEngine>()) {}

OrvUpLoad::OrvUpLoad(std::shared_ptr<TransferEngine> engine) : m_engine(std::move(engine)) {}

// Tasks handed out may outlive this object; the engine's threads stop once the last of them is released.
OrvUpLoad::~OrvUpLoad() = default;

ComPtr<OrvULD::IOrvFileInfo> OrvUpLoad::AddUpLoadFile() {
    return ComPtr<OrvULD::IOrvFileInfo>::Attach(new OrvFileInfo(m_engine, m_engine->AddUpload()));
}

HRESULT OrvUpLoad::UpLoad(int32_t operateType) {
    if (operateType != OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID) {
        throw ComError(E_INVALIDARG, "unknown operate type");
    }
    m_engine->StartUploads();
    return S_OK;
}

ComPtr<OrvULD::IOrvFileInfos> OrvUpLoad::GetFileList() {
    return ComPtr<OrvULD::IOrvFileInfos>::Attach(
        new OrvFileInfos(m_engine, m_engine->List(TaskKind::Upload)));
}

ComPtr<OrvULD::IOrvFileInfos> OrvUpLoad::GetDownLoadList() {
    return ComPtr<OrvULD::IOrvFileInfos>::Attach(
        new OrvFileInfos(m_engine, m_engine->List(TaskKind::Download)));
}

HRESULT OrvUpLoad::Init(const std::string& account, const std::string& requestPath, const std::string& host,
                        int32_t port, const std::string& signOn, const std::string& databasePath) {
    m_engine->Bind({account, requestPath, host, port, signOn, databasePath});
    return S_OK;
}

ComPtr<OrvULD::IOrvFileInfo> OrvUpLoad::DownLoad(const std::string& url, const std::string&,
                                                 const std::string& localPath) {
    return ComPtr<OrvULD::IOrvFileInfo>::Attach(
        new OrvFileInfo(m_engine, m_engine->AddDownload(url, localPath)));
}

HRESULT OrvUpLoad::ProxyAddr(const std::string& address, int32_t port) {
    m_engine->SetProxy(address, port);
    return S_OK;
}

HRESULT OrvUpLoad::ProxyNameAndPwd(const std::string& name, const std::string& password) {
    m_engine->SetProxyCredentials(name, password);
    return S_OK;
}

}  // namespace nimbra::engine
