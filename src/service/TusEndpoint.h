#pragma once

#include <httplib.h>

#include <chrono>
#include <string>

#include "service/ChunkReceiver.h"
#include "service/FaultInjector.h"
#include "service/ServiceContext.h"
#include "service/UploadFinisher.h"
#include "service/UploadLocks.h"

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
          m_finisher(context) {}

    void Register(httplib::Server& server);
    // Forgets uploads created at least maxAge ago: finished ones (a client confirms a lost answer long
    // before) and unfinished ones not written to for as long, with their bytes and space reservation.
    void PruneStale(std::chrono::seconds maxAge);

private:
    void Options(httplib::Response& res);
    void Create(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader);
    // A creation repeating an earlier one (same creation key) after its answer was lost: answers for the
    // earlier one when it finished (true), else discards it so that it holds no space (false).
    bool ReplaceEarlierCreation(const httplib::Request& req, httplib::Response& res,
                                const httplib::ContentReader& reader, int64_t account,
                                const std::string& key);
    void Head(const httplib::Request& req, httplib::Response& res);
    void Patch(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader);
    void Terminate(const httplib::Request& req, httplib::Response& res);
    void PutThumbnail(const httplib::Request& req, httplib::Response& res,
                      const httplib::ContentReader& reader);

    // Checks shared by every request: tus version and sign-on. Sets the tus response headers.
    std::optional<int64_t> Admit(const httplib::Request& req, httplib::Response& res);
    // Appends the request body and finishes the upload when it is complete; false when `res` holds
    // the failure.
    bool AppendBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader,
                    UploadRow& row, int64_t dropAfter);
    void AnswerOffset(httplib::Response& res, const UploadRow& row, int status);
    std::string LocationOf(const httplib::Request& req, const std::string& id) const;

    ServiceContext& m_context;
    FaultInjector* m_faults;
    ChunkReceiver m_receiver;
    UploadFinisher m_finisher;
    UploadLocks m_locks;
};

}  // namespace nimbra::service
