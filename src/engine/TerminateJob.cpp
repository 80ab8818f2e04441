#include "engine/TerminateJob.h"

#include "engine/TusClient.h"

namespace nimbra::engine {
namespace {

constexpr int kMaxAttempts = 20;
constexpr std::chrono::milliseconds kRetryDelay{250};

}  // namespace

TerminateJob::TerminateJob(std::string uploadUrl, ConnectionSettings settings)
    : m_uploadUrl(std::move(uploadUrl)), m_settings(std::move(settings)) {}

TransferJob::Step TerminateJob::Advance(HttpRequest* finished) {
    if (finished) {
        const bool busy = finished->Code() == CURLE_OK && finished->Status() == 423;
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
