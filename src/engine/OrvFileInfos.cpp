#include "engine/OrvFileInfos.h"

#include "engine/OrvFileInfo.h"

namespace nimbra::engine {

OrvFileInfos::OrvFileInfos(std::shared_ptr<TransferEngine> engine, std::shared_ptr<const TaskList> tasks)
    : m_engine(std::move(engine)), m_tasks(std::move(tasks)) {}

ComPtr<OrvULD::IOrvFileInfo> OrvFileInfos::Item(int32_t index) {
    return index < 0 ? nullptr : Wrap(m_tasks->At(static_cast<size_t>(index)));
}

ComPtr<OrvULD::IOrvFileInfo> OrvFileInfos::Find(int32_t fileId) {
    return Wrap(m_tasks->Find(fileId));
}

ComPtr<OrvULD::IOrvFileInfo> OrvFileInfos::Wrap(std::shared_ptr<Task> task) const {
    if (!task) {
        return nullptr;
    }
    return ComPtr<OrvULD::IOrvFileInfo>::Attach(new OrvFileInfo(m_engine, std::move(task)));
}

}  // namespace nimbra::engine
