#pragma once
// IOrvFileInfo: one task as the adapter sees it. Reads come from the task's atomics; commands go to the
// engine.

#include <memory>

#include "engine/ComObject.h"
#include "engine/OrvULD.h"
#include "engine/TransferEngine.h"

namespace nimbra::engine {

class OrvFileInfo final : public ComObject<OrvULD::IOrvFileInfo, OrvULD::IID_IOrvFileInfo> {
public:
    OrvFileInfo(std::shared_ptr<TransferEngine> engine, std::shared_ptr<Task> task);

    int32_t GetFileID() override { return m_task->Id(); }
    OrvULD::ORV_UPLOAD_SESSION_STATE GetState() override { return m_task->State(); }
    std::string GetfileName() override { return m_task->LocalPath(); }
    void PutfileName(const std::string& path) override { m_engine->SetLocalPath(*m_task, path); }
    uint64_t GetProgress() override { return m_task->Progress(); }
    uint64_t GetFileSize() override { return m_task->Size(); }
    void PutFileSize(uint64_t size) override { m_engine->SetDeclaredSize(*m_task, size); }
    int32_t GeterrorCode() override { return m_task->ErrorCode(); }
    void PutFileDescription(const std::string& text) override;
    void PutComlexFlag(bool flag) override;
    void PutComlexCID(const std::string& id) override;
    void PutAppType(const std::string& type) override;
    void PutParentCatalogID(const std::string& id) override;
    void PutNewCataLogName(const std::string& name) override;
    void PutTag(const std::string& tag) override;
    void PutMiniatureFileName(const std::string& path) override;
    void PutMiniatureFileSize(uint64_t size) override;
    void PutSSOKey(const std::string& key) override;
    std::string GetDisplayName() override { return m_task->DisplayName(); }
    HRESULT Pause() override { return m_engine->Pause(*m_task); }
    HRESULT Resume() override { return m_engine->Resume(*m_task); }
    HRESULT Abort() override { return m_engine->Abort(*m_task); }
    HRESULT Delete() override { return m_engine->Delete(*m_task); }
    HRESULT ContUpload() override { return m_engine->Continue(*m_task, TaskKind::Upload); }
    HRESULT ContDownLoad() override { return m_engine->Continue(*m_task, TaskKind::Download); }
    int64_t GetNextTryIn() override { return m_engine->NextTryIn(*m_task); }

private:
    std::shared_ptr<TransferEngine> m_engine;
    std::shared_ptr<Task> m_task;
};

}  // namespace nimbra::engine
