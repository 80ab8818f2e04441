#pragma once
// Ends an unfinished upload on the server after its task was deleted. The server refuses while a request of
// the upload is still being processed (423), so that is retried a few times. The termination stays in the
// task database until the server has answered, so that a later run (or binding) tries again.

#include <memory>

#include "engine/RetryTimer.h"
#include "engine/TaskStore.h"
#include "engine/TransferJob.h"

namespace nimbra::engine {

class TerminateJob final : public TransferJob {
public:
    TerminateJob(std::string uploadUrl, ConnectionSettings settings, std::shared_ptr<TaskStore> store);

    int32_t TaskId() const override { return 0; }
    bool Light() const override { return true; }
    Step Advance(HttpRequest* finished) override;

private:
    std::string m_uploadUrl;
    ConnectionSettings m_settings;
    std::shared_ptr<TaskStore> m_store;
    RetryTimer m_retry;
    int m_attempts = 0;
};

}  // namespace nimbra::engine
