#pragma once
// What the upload and download jobs share: their task, where its record is stored, and how a job ends. A
// job cut off by the network does not fail its task: the task waits for its next try, which comes by itself.

#include <memory>

#include "engine/HttpRequest.h"
#include "engine/NetworkRetries.h"
#include "engine/Task.h"
#include "engine/TaskStore.h"
#include "engine/TransferJob.h"

namespace nimbra::engine {

class TaskJob : public TransferJob {
public:
    TaskJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings,
            std::shared_ptr<NetworkRetries> retries);
    ~TaskJob() override;

    int32_t TaskId() const override { return m_task->Id(); }

protected:
    // Changes the task's record and queues it for the database; returns the record as changed.
    TaskRecord Save(const std::function<void(TaskRecord&)>& change);
    Step Fail(int32_t errorCode);
    Step Succeed();

    std::shared_ptr<Task> m_task;
    std::shared_ptr<TaskStore> m_store;
    ConnectionSettings m_settings;

private:
    std::shared_ptr<NetworkRetries> m_retries;
    // Bytes the server had confirmed (or the partial file held) when the job began.
    uint64_t m_startOffset;
};

}  // namespace nimbra::engine
