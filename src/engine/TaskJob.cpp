#include "engine/TaskJob.h"

namespace nimbra::engine {

TaskJob::TaskJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings,
                 std::shared_ptr<NetworkRetries> retries)
    : m_task(std::move(task)),
      m_store(std::move(store)),
      m_settings(std::move(settings)),
      m_retries(std::move(retries)),
      m_startOffset(m_task->Snapshot().offset) {
    m_task->SetScheduled(true);
}

TaskJob::~TaskJob() {
    m_task->SetScheduled(false);
}

TaskRecord TaskJob::Save(const std::function<void(TaskRecord&)>& change) {
    TaskRecord record = m_task->Edit(change);
    m_store->Put(record);
    return record;
}

TransferJob::Step TaskJob::Fail(int32_t errorCode) {
    if (errorCode == OrvULD::ORV_ERROR_NETWORK) {
        // Waiting (state 0) with the failure's code: the engine tries again when its plan says.
        const TaskRecord saved = Save([](TaskRecord& r) {
            r.state = OrvULD::ORV_SESSION_STATE_READY;
            r.errorCode = OrvULD::ORV_ERROR_NETWORK;
        });
        m_retries->Plan(m_task, saved.offset > m_startOffset);
        return Step::Done;
    }
    Save([&](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_FAIL;
        r.errorCode = errorCode;
    });
    return Step::Done;
}

TransferJob::Step TaskJob::Succeed() {
    m_retries->Forget(m_task->Id());
    Save([](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_SCCESS;
        r.errorCode = 0;
        r.offset = r.size;
    });
    return Step::Done;
}

}  // namespace nimbra::engine
