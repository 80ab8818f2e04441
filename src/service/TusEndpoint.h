#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "service/ChunkReceiver.h"
#include "service/FaultInjector.h"
#include "service/ServiceContext.h"
#include "service/UploadFinisher.h"
#include "service/UploadLocks.h"
#include "service/http/HttpRoutes.h"

namespace nimbra::service {

// The tus 1.0.0 upload endpoint: core, creation, creation-with-upload, termination, checksum.
class TusEndpoint final {
public:
    static constexpr const char* kPath = "/lumenoApp/share/pc_uploadFileRequest";

    // `faults` is null unless the service runs with test hooks.
    TusEndpoint(ServiceContext& context, FaultInjector* faults)
        : m_context(context),
          m_faults(faults),
          m_receiver(context.layout, context.uploads),
          m_finisher(context),
          m_locks(std::chrono::milliseconds(context.options.uploadLockPatienceMs)) {}

    void Register(HttpRoutes& routes);
    // Forgets uploads created at least maxAge ago: finished ones (a client confirms a lost answer long
    // before) and unfinished ones not written to for as long, with their bytes and space reservation.
    void PruneStale(std::chrono::seconds maxAge);

private:
    void Options(HttpResponse& res);
    void Create(HttpExchange& exchange);
    // A creation repeating an earlier one (same creation key) after its answer was lost: answers for the
    // earlier one when it finished (true), else discards it so that it holds no space (false). An earlier
    // one still held by a request is not replaced: the creation is refused with 423 (true).
    bool ReplaceEarlierCreation(HttpExchange& exchange, int64_t account, const std::string& key);
    void Head(HttpExchange& exchange);
    void Patch(HttpExchange& exchange);
    void Terminate(HttpExchange& exchange);
    void PutThumbnail(HttpExchange& exchange);
    // Runs `work` on the request's upload (path capture 1) while holding it, read again under the lease;
    // answers 404 for an upload of no such id and account, 423 when another request keeps holding it.
    void WithHeldUpload(HttpExchange& exchange, int64_t account, const std::function<void(UploadRow&)>& work);

    // Checks shared by every request: tus version and sign-on. Sets the tus response headers.
    std::optional<int64_t> Admit(HttpExchange& exchange);
    // Appends the request body and finishes the upload when it is complete; false when the response holds
    // the failure.
    bool AppendBody(HttpExchange& exchange, UploadRow& row, int64_t dropAfter);
    void AnswerOffset(HttpResponse& res, const UploadRow& row, int status);
    std::string LocationOf(const HttpRequest& req, const std::string& id) const;

    ServiceContext& m_context;
    FaultInjector* m_faults;
    ChunkReceiver m_receiver;
    UploadFinisher m_finisher;
    UploadLocks m_locks;
};

}  // namespace nimbra::service
