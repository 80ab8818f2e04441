#pragma once
// One piece of work for the scheduler: a sequence of HTTP exchanges on one reusable handle, decided step by
// step. A job that must compute something first (a checksum) does it off the scheduler thread and asks to be
// woken.

#include <cstdint>
#include <functional>

#include "engine/HttpRequest.h"

namespace nimbra::engine {

class TransferJob {
public:
    enum class Step { Send, Wait, Done };
    using Wake = std::function<void()>;

    virtual ~TransferJob() = default;

    // The task this job works for (0 for housekeeping such as terminating a deleted upload).
    virtual int32_t TaskId() const = 0;
    // True for a job of a few short requests (a small file, housekeeping): such jobs run in many slots of
    // their own, because their time goes to round trips rather than to bandwidth.
    virtual bool Light() const { return false; }
    // Called first with null, again with null after a Wait when woken, and with the request once it finished.
    // Send: Request() is ready to perform. Done: the job has left its task in its final state.
    virtual Step Advance(HttpRequest* finished) = 0;

    HttpRequest& Request() { return m_request; }
    void SetWake(Wake wake) { m_wake = std::move(wake); }

protected:
    HttpRequest m_request;
    Wake m_wake;
};

}  // namespace nimbra::engine
