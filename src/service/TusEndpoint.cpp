#include "service/TusEndpoint.h"

#include "service/CreationRequest.h"
#include "service/Digest.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/RandomToken.h"
#include "service/RequestBody.h"
#include "service/UploadWriter.h"

namespace nimbra::service {

namespace {

constexpr const char* kOctetStream = "application/offset+octet-stream";
constexpr int kChecksumMismatch = 460;
constexpr size_t kMaxThumbnailBytes = 1 << 20;

bool HasBody(const httplib::Request& req) {
    if (req.has_header("Content-Length"))
        return req.get_header_value("Content-Length") != "0";
    return req.has_header("Transfer-Encoding");
}

bool IsOctetStream(const httplib::Request& req) {
    return req.get_header_value("Content-Type").rfind(kOctetStream, 0) == 0;
}

// A request refused before its body was read leaves that body on the connection: close it.
void CloseAfterAnswer(const httplib::Request& req, httplib::Response& res) {
    if (HasBody(req))
        res.set_header("Connection", "close");
}

}  // namespace

void TusEndpoint::Register(httplib::Server& server) {
    const std::string base = kPath;
    const std::string item = base + "/([0-9a-f]{32})";
    server.Options(base + "(/.*)?",
                   [this](const httplib::Request&, httplib::Response& res) { Options(res); });
    server.Post(base, [this](const httplib::Request& req, httplib::Response& res,
                             const httplib::ContentReader& r) { Create(req, res, r); });
    // The HTTP library routes HEAD through the GET handlers.
    server.Get(item, [this](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "HEAD") {
            Head(req, res);
        } else {
            res.status = 405;
            res.set_header("Allow", "HEAD, PATCH, DELETE, OPTIONS");
        }
    });
    server.Patch(item, [this](const httplib::Request& req, httplib::Response& res,
                              const httplib::ContentReader& r) { Patch(req, res, r); });
    server.Delete(item, [this](const httplib::Request& req, httplib::Response& res) { Terminate(req, res); });
    server.Put(item + "/thumbnail", [this](const httplib::Request& req, httplib::Response& res,
                                           const httplib::ContentReader& r) { PutThumbnail(req, res, r); });
}

void TusEndpoint::PruneStale(std::chrono::seconds maxAge) {
    const auto cutoff = std::chrono::system_clock::now() - maxAge;
    for (const auto& [id, account] :
         m_context.uploads.CreatedBefore(std::chrono::system_clock::to_time_t(cutoff))) {
        const auto lease = m_locks.Acquire(id, std::chrono::milliseconds(0));
        if (!lease)
            continue;  // a request is working on it right now
        // Read under the lease: the request that just held it may have finished the upload.
        const auto row = m_context.uploads.Find(id, account);
        if (!row)
            continue;
        if (row->Finished()) {
            m_context.uploads.Remove(id);
            continue;
        }
        std::error_code ec;
        const auto written = std::filesystem::last_write_time(m_context.layout.UploadContent(id), ec);
        if (!ec && std::chrono::file_clock::to_sys(written) > cutoff)
            continue;  // still being sent, slowly
        m_finisher.Discard(id);
    }
}

void TusEndpoint::Options(httplib::Response& res) {
    res.status = 204;
    res.set_header("Tus-Resumable", "1.0.0");
    res.set_header("Tus-Version", "1.0.0");
    res.set_header("Tus-Extension", "creation,creation-with-upload,termination,checksum,checksum-trailer");
    res.set_header("Tus-Max-Size", std::to_string(m_context.options.maxFileBytes));
    res.set_header("Tus-Checksum-Algorithm", ChunkChecksum::SupportedAlgorithms());
}

std::optional<int64_t> TusEndpoint::Admit(const httplib::Request& req, httplib::Response& res) {
    res.set_header("Tus-Resumable", "1.0.0");
    const std::string version = req.get_header_value("Tus-Resumable");
    if (!version.empty() && version != "1.0.0") {
        res.status = 412;
        res.set_header("Tus-Version", "1.0.0");
        CloseAfterAnswer(req, res);
        return std::nullopt;
    }
    auto account = m_context.auth.Check(req, res);
    if (!account)
        CloseAfterAnswer(req, res);
    return account;
}

std::string TusEndpoint::LocationOf(const httplib::Request& req, const std::string& id) const {
    const std::string host = req.get_header_value("Host");
    const std::string origin = host.empty() ? m_context.baseUrl : "http://" + host;
    return origin + kPath + "/" + id;
}

void TusEndpoint::AnswerOffset(httplib::Response& res, const UploadRow& row, int status) {
    res.status = status;
    res.set_header("Upload-Offset", std::to_string(row.offset));
    if (row.fileId)
        res.set_header("X-Nimbra-File-Id", std::to_string(*row.fileId));
}

void TusEndpoint::Create(const httplib::Request& req, httplib::Response& res,
                         const httplib::ContentReader& reader) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    auto refuse = [&](Refusal refusal) {
        ReplyError(res, refusal.status, refusal.code);
        CloseAfterAnswer(req, res);
    };
    auto parsed = CreationRequest::Parse(req);
    if (const auto* refusal = std::get_if<Refusal>(&parsed))
        return refuse(*refusal);
    CreationRequest& request = std::get<CreationRequest>(parsed);
    UploadRow& row = request.row;
    if (!m_context.catalogs.Exists(*account, request.parentId))
        return refuse({404, kErrorCatalogMissing});
    if (row.length > m_context.options.maxFileBytes)
        return refuse({413, kErrorNoSpace});
    if (ReplaceEarlierCreation(req, res, reader, *account, row.creationKey))
        return;

    row.id = RandomHex(16);
    row.accountId = *account;
    {
        // Space check and reservation in one step, so that parallel creations cannot overbook. An upload
        // lost with a crash of the machine is simply not found again: its client starts it over.
        SqliteTransaction transaction(m_context.db, Durability::Deferred);
        const int64_t spare = m_context.accounts.Quota(*account) - m_context.catalogs.UsedBytes(*account) -
                              m_context.uploads.ReservedBytes(*account);
        if (row.length > spare)
            return refuse({413, kErrorNoSpace});
        bool existed = false;
        row.catalogId =
            request.newCatalogName.empty()
                ? request.parentId
                : m_context.catalogs.Create(*account, request.parentId, request.newCatalogName, existed);
        m_context.uploads.Insert(row);
        transaction.Commit();
    }
    const auto lease = m_locks.Acquire(row.id);
    res.set_header("Location", LocationOf(req, row.id));
    if (HasBody(req) && IsOctetStream(req)) {
        if (!AppendBody(req, res, reader, row, -1)) {
            // Without a 201 the client never learns the upload: it would only hold space until pruned.
            res.headers.erase("Location");
            m_finisher.Discard(row.id);
            return;
        }
    } else {
        if (HasBody(req))
            reader([](const char*, size_t) { return true; });
        UploadWriter writer(m_context.layout.UploadContent(row.id), 0, std::nullopt);
        if (!writer.IsOpen())
            return ReplyError(res, 500, kErrorServerFailure);
        if (row.length == 0 && m_finisher.Finish(row) != UploadFinisher::Result::Done)
            return ReplyError(res, 500, kErrorServerFailure);
    }
    AnswerOffset(res, row, 201);
}

bool TusEndpoint::ReplaceEarlierCreation(const httplib::Request& req, httplib::Response& res,
                                         const httplib::ContentReader& reader, int64_t account,
                                         const std::string& key) {
    auto earlier = key.empty() ? std::nullopt : m_context.uploads.FindByCreationKey(key, account);
    if (!earlier)
        return false;
    // A request still sending it is waited for, so that what follows sees where it ended.
    const auto lease = m_locks.Acquire(earlier->id);
    earlier = m_context.uploads.Find(earlier->id, account);
    if (!earlier)
        return false;
    if (earlier->Finished()) {
        // It went through and only its answer was lost: that answer is given again, and no second file made.
        if (HasBody(req))
            reader([](const char*, size_t) { return true; });
        res.set_header("Location", LocationOf(req, earlier->id));
        AnswerOffset(res, *earlier, 201);
        return true;
    }
    // Its client never learned it: it only holds space. The new creation takes its place.
    if (lease)
        m_finisher.Discard(earlier->id);
    return false;
}

void TusEndpoint::Head(const httplib::Request& req, httplib::Response& res) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    res.set_header("Cache-Control", "no-store");
    const auto row = m_context.uploads.Find(req.matches[1], *account);
    if (!row) {
        res.status = 404;
        return;
    }
    res.set_header("Upload-Length", std::to_string(row->length));
    if (!row->metadata.empty())
        res.set_header("Upload-Metadata", row->metadata);
    AnswerOffset(res, *row, 200);
}

void TusEndpoint::Patch(const httplib::Request& req, httplib::Response& res,
                        const httplib::ContentReader& reader) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    auto refuse = [&](int status) {
        res.status = status;
        CloseAfterAnswer(req, res);
    };
    auto row = m_context.uploads.Find(req.matches[1], *account);
    if (!row)
        return refuse(404);
    const auto lease = m_locks.Acquire(row->id);
    if (!lease)
        return refuse(423);
    // Read again: a request that held the upload meanwhile may have moved its offset or ended it.
    row = m_context.uploads.Find(req.matches[1], *account);
    if (!row)
        return refuse(404);
    if (!IsOctetStream(req))
        return refuse(415);
    const auto offset = ParseSize(req.get_header_value("Upload-Offset"));
    if (!offset)
        return refuse(400);
    if (*offset != row->offset) {
        AnswerOffset(res, *row, 409);
        CloseAfterAnswer(req, res);
        return;
    }
    if (row->Finished()) {
        if (HasBody(req))
            return refuse(409);
        return AnswerOffset(res, *row, 204);
    }
    const int64_t dropAfter = m_faults ? m_faults->TakeDropAfter() : -1;
    if (AppendBody(req, res, reader, *row, dropAfter))
        AnswerOffset(res, *row, 204);
}

bool TusEndpoint::AppendBody(const httplib::Request& req, httplib::Response& res,
                             const httplib::ContentReader& reader, UploadRow& row, int64_t dropAfter) {
    RequestBody body(req, reader);
    const auto result = m_receiver.Receive(req, body, row, dropAfter);
    if (!body.ConnectionReusable())
        res.set_header("Connection", "close");
    switch (result) {
        case ChunkReceiver::Result::Stored:
            break;
        case ChunkReceiver::Result::Interrupted:
            ReplyError(res, 400, kErrorServerFailure);
            return false;
        case ChunkReceiver::Result::BadChecksumHeader:
            res.status = 400;
            return false;
        case ChunkReceiver::Result::TooLong:
            ReplyError(res, 413, kErrorNoSpace);
            return false;
        case ChunkReceiver::Result::ChecksumMismatch:
            ReplyError(res, kChecksumMismatch, kErrorRefused);
            return false;
        case ChunkReceiver::Result::StorageFailed:
            ReplyError(res, 500, kErrorServerFailure);
            return false;
    }
    if (row.offset < row.length)
        return true;
    switch (m_finisher.Finish(row)) {
        case UploadFinisher::Result::Done:
            return true;
        case UploadFinisher::Result::ChecksumMismatch:
            ReplyError(res, kChecksumMismatch, kErrorRefused);
            return false;
        case UploadFinisher::Result::Failed:
            ReplyError(res, 500, kErrorServerFailure);
            return false;
    }
    return false;
}

void TusEndpoint::Terminate(const httplib::Request& req, httplib::Response& res) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    auto row = m_context.uploads.Find(req.matches[1], *account);
    if (!row) {
        res.status = 404;
        return;
    }
    const auto lease = m_locks.Acquire(row->id);
    if (!lease) {
        res.status = 423;
        return;
    }
    // Read again: the request that held the upload may have finished it meanwhile.
    row = m_context.uploads.Find(req.matches[1], *account);
    if (!row) {
        res.status = 404;
        return;
    }
    // A finished upload's file stays in its catalog; only the upload is forgotten.
    if (row->Finished())
        m_context.uploads.Remove(row->id);
    else
        m_finisher.Discard(row->id);
    res.status = 204;
}

void TusEndpoint::PutThumbnail(const httplib::Request& req, httplib::Response& res,
                               const httplib::ContentReader& reader) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    const auto row = m_context.uploads.Find(req.matches[1], *account);
    if (!row) {
        res.status = 404;
        CloseAfterAnswer(req, res);
        return;
    }
    const auto received = ReadBoundedBody(reader, kMaxThumbnailBytes, res);
    if (!received)
        return;
    const std::string& body = *received;
    // JPEG files start with the SOI marker followed by another marker.
    if (body.size() < 4 || body.compare(0, 3, "\xFF\xD8\xFF") != 0)
        return ReplyError(res, 400, kErrorRefused);

    if (!m_finisher.AttachThumbnail(row->id, *account, body))
        return ReplyError(res, 500, kErrorServerFailure);
    res.status = 204;
}

}  // namespace nimbra::service
