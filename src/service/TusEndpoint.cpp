#include "service/TusEndpoint.h"

#include "service/CreationRequest.h"
#include "service/Digest.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/RandomToken.h"
#include "service/UploadWriter.h"

namespace nimbra::service {

namespace {

constexpr const char* kOctetStream = "application/offset+octet-stream";
constexpr int kChecksumMismatch = 460;
constexpr size_t kMaxThumbnailBytes = 1 << 20;

bool IsOctetStream(const HttpRequest& req) {
    return req.Header("Content-Type").rfind(kOctetStream, 0) == 0;
}

}  // namespace

void TusEndpoint::Register(HttpRoutes& routes) {
    const std::string base = kPath;
    const std::string item = base + "/([0-9a-f]{32})";
    routes.Add("OPTIONS", base + "(/.*)?", [this](HttpExchange& exchange) { Options(exchange.Response()); });
    // Creation and PATCH stream their bodies to disk, bounded by the upload's length.
    routes.Add(
        "POST", base, [this](HttpExchange& exchange) { Create(exchange); }, HttpRoutes::kUnbounded);
    routes.Add("HEAD", item, [this](HttpExchange& exchange) { Head(exchange); });
    routes.Add("GET", item, [](HttpExchange& exchange) {
        exchange.Response().status = 405;
        exchange.Response().SetHeader("Allow", "HEAD, PATCH, DELETE, OPTIONS");
    });
    routes.Add(
        "PATCH", item, [this](HttpExchange& exchange) { Patch(exchange); }, HttpRoutes::kUnbounded);
    routes.Add("DELETE", item, [this](HttpExchange& exchange) { Terminate(exchange); });
    routes.Add(
        "PUT", item + "/thumbnail", [this](HttpExchange& exchange) { PutThumbnail(exchange); },
        kMaxThumbnailBytes);
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

void TusEndpoint::Options(HttpResponse& res) {
    res.status = 204;
    res.SetHeader("Tus-Resumable", "1.0.0");
    res.SetHeader("Tus-Version", "1.0.0");
    res.SetHeader("Tus-Extension", "creation,creation-with-upload,termination,checksum,checksum-trailer");
    res.SetHeader("Tus-Max-Size", std::to_string(m_context.options.maxFileBytes));
    res.SetHeader("Tus-Checksum-Algorithm", ChunkChecksum::SupportedAlgorithms());
}

std::optional<int64_t> TusEndpoint::Admit(HttpExchange& exchange) {
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    res.SetHeader("Tus-Resumable", "1.0.0");
    const std::string version = req.Header("Tus-Resumable");
    if (!version.empty() && version != "1.0.0") {
        res.status = 412;
        res.SetHeader("Tus-Version", "1.0.0");
        return std::nullopt;
    }
    return m_context.auth.Check(req, res);
}

std::string TusEndpoint::LocationOf(const HttpRequest& req, const std::string& id) const {
    const std::string host = req.Header("Host");
    const std::string origin = host.empty() ? m_context.baseUrl : "http://" + host;
    return origin + kPath + "/" + id;
}

void TusEndpoint::AnswerOffset(HttpResponse& res, const UploadRow& row, int status) {
    res.status = status;
    res.SetHeader("Upload-Offset", std::to_string(row.offset));
    if (row.fileId)
        res.SetHeader("X-Nimbra-File-Id", std::to_string(*row.fileId));
}

void TusEndpoint::Create(HttpExchange& exchange) {
    const auto account = Admit(exchange);
    if (!account)
        return;
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    auto refuse = [&](Refusal refusal) { ReplyError(res, refusal.status, refusal.code); };
    auto parsed = CreationRequest::Parse(req);
    if (const auto* refusal = std::get_if<Refusal>(&parsed))
        return refuse(*refusal);
    CreationRequest& request = std::get<CreationRequest>(parsed);
    UploadRow& row = request.row;
    if (!m_context.catalogs.Exists(*account, request.parentId))
        return refuse({404, kErrorCatalogMissing});
    if (row.length > m_context.options.maxFileBytes)
        return refuse({413, kErrorNoSpace});
    if (ReplaceEarlierCreation(exchange, *account, row.creationKey))
        return;

    row.id = RandomHex(16);
    row.accountId = *account;
    {
        // Space check and reservation in one step, so that parallel creations cannot overbook. An upload
        // lost with a crash of the machine is simply not found again: its client starts it over.
        SqliteTransaction transaction(m_context.db, Durability::Deferred);
        if (row.length > m_context.space.Spare(*account))
            return refuse({413, kErrorNoSpace});
        bool existed = false;
        row.catalogId =
            request.newCatalogName.empty()
                ? request.parentId
                : m_context.catalogs.Create(*account, request.parentId, request.newCatalogName, existed);
        if (!m_context.uploads.Insert(row)) {
            // A creation with the same key came at the same time and is still being made.
            res.status = 423;
            return;
        }
        transaction.Commit();
    }
    const auto lease = m_locks.Acquire(row.id);
    res.SetHeader("Location", LocationOf(req, row.id));
    if (exchange.Body().Present() && IsOctetStream(req)) {
        if (!AppendBody(exchange, row, -1)) {
            // Without a 201 the client never learns the upload: it would only hold space until pruned.
            res.EraseHeader("Location");
            m_finisher.Discard(row.id);
            return;
        }
    } else {
        UploadWriter writer(m_context.layout.UploadContent(row.id), 0, std::nullopt);
        if (!writer.IsOpen())
            return ReplyError(res, 500, kErrorServerFailure);
        if (row.length == 0 && m_finisher.Finish(row) != UploadFinisher::Result::Done)
            return ReplyError(res, 500, kErrorServerFailure);
    }
    AnswerOffset(res, row, 201);
}

bool TusEndpoint::ReplaceEarlierCreation(HttpExchange& exchange, int64_t account, const std::string& key) {
    auto earlier = key.empty() ? std::nullopt : m_context.uploads.FindByCreationKey(key, account);
    if (!earlier)
        return false;
    // A request still sending it is waited for, so that what follows sees where it ended.
    const auto lease = m_locks.Acquire(earlier->id);
    if (!lease) {
        // Still held: replacing it now would leave two uploads for one key.
        exchange.Response().status = 423;
        return true;
    }
    earlier = m_context.uploads.Find(earlier->id, account);
    if (!earlier)
        return false;
    if (earlier->Finished()) {
        // It went through and only its answer was lost: that answer is given again, and no second file made.
        exchange.Response().SetHeader("Location", LocationOf(exchange.Request(), earlier->id));
        AnswerOffset(exchange.Response(), *earlier, 201);
        return true;
    }
    // Its client never learned it: it only holds space. The new creation takes its place.
    m_finisher.Discard(earlier->id);
    return false;
}

void TusEndpoint::Head(HttpExchange& exchange) {
    const auto account = Admit(exchange);
    if (!account)
        return;
    HttpResponse& res = exchange.Response();
    res.SetHeader("Cache-Control", "no-store");
    const auto row = m_context.uploads.Find(exchange.Request().Match(1), *account);
    if (!row) {
        res.status = 404;
        return;
    }
    res.SetHeader("Upload-Length", std::to_string(row->length));
    if (!row->metadata.empty())
        res.SetHeader("Upload-Metadata", row->metadata);
    AnswerOffset(res, *row, 200);
}

void TusEndpoint::Patch(HttpExchange& exchange) {
    const auto account = Admit(exchange);
    if (!account)
        return;
    WithHeldUpload(exchange, *account, [&](UploadRow& row) {
        const HttpRequest& req = exchange.Request();
        HttpResponse& res = exchange.Response();
        if (!IsOctetStream(req)) {
            res.status = 415;
            return;
        }
        const auto offset = ParseSize(req.Header("Upload-Offset"));
        if (!offset) {
            res.status = 400;
            return;
        }
        if (*offset != row.offset || (row.Finished() && exchange.Body().Present()))
            return AnswerOffset(res, row, 409);
        if (row.Finished())
            return AnswerOffset(res, row, 204);
        const int64_t dropAfter = m_faults ? m_faults->TakeDropAfter() : -1;
        if (AppendBody(exchange, row, dropAfter))
            AnswerOffset(res, row, 204);
    });
}

void TusEndpoint::WithHeldUpload(HttpExchange& exchange, int64_t account,
                                 const std::function<void(UploadRow&)>& work) {
    HttpResponse& res = exchange.Response();
    const std::string& id = exchange.Request().Match(1);
    if (!m_context.uploads.Find(id, account)) {
        res.status = 404;
        return;
    }
    const auto lease = m_locks.Acquire(id);
    if (!lease) {
        res.status = 423;
        return;
    }
    // Read under the lease: a request that held the upload meanwhile may have moved its offset or ended it.
    auto row = m_context.uploads.Find(id, account);
    if (!row) {
        res.status = 404;
        return;
    }
    work(*row);
}

bool TusEndpoint::AppendBody(HttpExchange& exchange, UploadRow& row, int64_t dropAfter) {
    HttpResponse& res = exchange.Response();
    switch (m_receiver.Receive(exchange, row, dropAfter)) {
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

void TusEndpoint::Terminate(HttpExchange& exchange) {
    const auto account = Admit(exchange);
    if (!account)
        return;
    WithHeldUpload(exchange, *account, [&](UploadRow& row) {
        // A finished upload's file stays in its catalog; only the upload is forgotten.
        if (row.Finished())
            m_context.uploads.Remove(row.id);
        else
            m_finisher.Discard(row.id);
        exchange.Response().status = 204;
    });
}

void TusEndpoint::PutThumbnail(HttpExchange& exchange) {
    const auto account = Admit(exchange);
    if (!account)
        return;
    HttpResponse& res = exchange.Response();
    const std::string& id = exchange.Request().Match(1);
    if (!m_context.uploads.Find(id, *account)) {
        res.status = 404;
        return;
    }
    const auto received = ReadBoundedBody(exchange, kMaxThumbnailBytes);
    if (!received)
        return;
    const std::string& body = *received;
    // JPEG files start with the SOI marker followed by another marker.
    if (body.size() < 4 || body.compare(0, 3, "\xFF\xD8\xFF") != 0)
        return ReplyError(res, 400, kErrorRefused);
    // Under the upload's lock: neither a finish nor a second picture for it runs meanwhile.
    WithHeldUpload(exchange, *account, [&](UploadRow&) {
        switch (m_finisher.AttachThumbnail(id, *account, body)) {
            case UploadFinisher::Attached::Yes:
                res.status = 204;
                return;
            case UploadFinisher::Attached::NoSpace:
                return ReplyError(res, 413, kErrorNoSpace);
            case UploadFinisher::Attached::UploadGone:
                res.status = 404;
                return;
            case UploadFinisher::Attached::Failed:
                return ReplyError(res, 500, kErrorServerFailure);
        }
    });
}

}  // namespace nimbra::service
