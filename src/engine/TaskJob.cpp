#include "engine/TaskJob.h"

namespace nimbra::engine {

TaskJob::TaskJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings)
    : m_task(std::move(task)), m_store(std::move(store)), m_settings(std::move(settings)) {
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
    Save([&](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_FAIL;
        r.errorCode = errorCode;
    });
    return Step::Done;
}

TransferJob::Step TaskJob::Succeed() {
    Save([](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_SCCESS;
        r.errorCode = 0;
        r.offset = r.size;
    });
    return Step::Done;
}

}  // namespace nimbra::engine
