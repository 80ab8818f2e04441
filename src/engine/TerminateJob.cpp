#include "engine/TerminateJob.h"

#include "engine/TusClient.h"

namespace nimbra::engine {
namespace {

constexpr int kMaxAttempts = 20;
constexpr std::chrono::milliseconds kRetryDelay{250};

}  // namespace

TerminateJob::TerminateJob(std::string uploadUrl, ConnectionSettings settings,
                           std::shared_ptr<TaskStore> store)
    : m_uploadUrl(std::move(uploadUrl)), m_settings(std::move(settings)), m_store(std::move(store)) {}

TransferJob::Step TerminateJob::Advance(HttpRequest* finished) {
    if (finished) {
        const bool answered = finished->Code() == CURLE_OK;
        const bool busy = answered && finished->Status() == 423;
        if (answered && !busy) {
            // Ended, or no longer known to the server, or refused for good: nothing left to try.
            m_store->ForgetTermination(m_uploadUrl);
            return Step::Done;
        }
        if (!busy || m_attempts >= kMaxAttempts) {
            return Step::Done;
        }
        m_retry.Start(kRetryDelay, m_wake);
        return Step::Wait;
    }
    ++m_attempts;
    TusClient::Terminate(m_request, m_settings, m_uploadUrl);
    return Step::Send;
}

}  // namespace nimbra::engine
