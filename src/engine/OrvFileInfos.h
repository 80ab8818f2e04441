#pragma once
// IOrvFileInfos: a snapshot of the upload or download tasks.

#include <memory>

#include "engine/ComObject.h"
#include "engine/OrvULD.h"
#include "engine/TransferEngine.h"

namespace nimbra::engine {

class OrvFileInfos final : public ComObject<OrvULD::IOrvFileInfos, OrvULD::IID_IOrvFileInfos> {
public:
    OrvFileInfos(std::shared_ptr<TransferEngine> engine, std::shared_ptr<const TaskList> tasks);

    int32_t Count() override { return static_cast<int32_t>(m_tasks->Count()); }
    ComPtr<OrvULD::IOrvFileInfo> Item(int32_t index) override;
    ComPtr<OrvULD::IOrvFileInfo> Find(int32_t fileId) override;

private:
    ComPtr<OrvULD::IOrvFileInfo> Wrap(std::shared_ptr<Task> task) const;

    std::shared_ptr<TransferEngine> m_engine;
    std::shared_ptr<const TaskList> m_tasks;
};

}  // namespace nimbra::engine
