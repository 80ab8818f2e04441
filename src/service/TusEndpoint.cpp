#include "service/TusEndpoint.h"

#include "service/Digest.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/RandomToken.h"
#include "service/TusMetadata.h"
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

bool IsHexSha1(const std::string& text) {
    return text.size() == 40 && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::optional<int64_t> ParseFlag(const std::string& text) {
    if (text.empty())
        return 0;
    return ParseSize(text);
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

void TusEndpoint::Options(httplib::Response& res) {
    res.status = 204;
    res.set_header("Tus-Resumable", "1.0.0");
    res.set_header("Tus-Version", "1.0.0");
    res.set_header("Tus-Extension", "creation,creation-with-upload,termination,checksum");
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
    auto refuse = [&](int status, int code) {
        ReplyError(res, status, code);
        CloseAfterAnswer(req, res);
    };
    if (req.has_header("Upload-Defer-Length"))
        return refuse(400, kErrorRefused);
    const auto length = ParseSize(req.get_header_value("Upload-Length"));
    if (!length)
        return refuse(400, kErrorRefused);
    const std::string rawMetadata = req.get_header_value("Upload-Metadata");
    const auto metadata = TusMetadata::Parse(rawMetadata);
    if (!metadata || !IsAcceptableName(metadata->Get("filename")))
        return refuse(400, kErrorRefused);
    const std::string newCatalog = metadata->Get("newCatalogName");
    const std::string sha1 = metadata->Get("sha1");
    const auto appType = ParseFlag(metadata->Get("appType"));
    const auto complexFlag = ParseFlag(metadata->Get("complexFlag"));
    if ((!newCatalog.empty() && !IsAcceptableName(newCatalog)) || (!sha1.empty() && !IsHexSha1(sha1)) ||
        !appType || !complexFlag)
        return refuse(400, kErrorRefused);
    const auto parent = ParseCatalogId(metadata->Get("parentCatalogId"));
    if (!parent || !m_context.catalogs.Exists(*account, *parent))
        return refuse(404, kErrorCatalogMissing);
    if (*length > m_context.options.maxFileBytes)
        return refuse(413, kErrorNoSpace);

    UploadRow row;
    row.id = RandomHex(16);
    row.accountId = *account;
    row.length = *length;
    row.filename = metadata->Get("filename");
    row.tag = metadata->Get("tag");
    row.description = metadata->Get("description");
    row.appType = *appType;
    row.complexFlag = *complexFlag;
    row.complexCid = metadata->Get("complexCid");
    row.expectedSha1 = sha1;
    row.metadata = rawMetadata;
    row.hashState = FileSha1().SaveState();
    {
        // Space check and reservation in one step, so that parallel creations cannot overbook.
        SqliteTransaction transaction(m_context.db);
        const int64_t spare = m_context.accounts.Quota(*account) - m_context.catalogs.UsedBytes(*account) -
                              m_context.uploads.ReservedBytes(*account);
        if (*length > spare)
            return refuse(413, kErrorNoSpace);
        bool existed = false;
        row.catalogId =
            newCatalog.empty() ? *parent : m_context.catalogs.Create(*account, *parent, newCatalog, existed);
        m_context.uploads.Insert(row);
        transaction.Commit();
    }
    const auto lease = m_locks.Acquire(row.id);
    res.set_header("Location", LocationOf(req, row.id));
    if (HasBody(req) && IsOctetStream(req)) {
        ReceiveBody(req, res, reader, row, false);
        if (res.status != 204)
            return;
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
    ReceiveBody(req, res, reader, *row, true);
}

void TusEndpoint::ReceiveBody(const httplib::Request& req, httplib::Response& res,
                              const httplib::ContentReader& reader, UploadRow& row, bool allowDrop) {
    std::optional<ChunkChecksum> checksum;
    if (req.has_header("Upload-Checksum")) {
        checksum = ChunkChecksum::Parse(req.get_header_value("Upload-Checksum"));
        if (!checksum) {
            res.status = 400;
            CloseAfterAnswer(req, res);
            return;
        }
    }
    const int64_t remaining = row.length - row.offset;
    if (const auto announced = ParseSize(req.get_header_value("Content-Length"));
        announced && *announced > remaining) {
        ReplyError(res, 413, kErrorNoSpace);
        CloseAfterAnswer(req, res);
        return;
    }
    std::optional<FileSha1> hash;
    if (row.hashOffset == row.offset)
        hash = FileSha1::Restore(row.hashState);
    UploadWriter writer(m_context.layout.UploadContent(row.id), row.offset, std::move(hash));
    if (!writer.IsOpen())
        return ReplyError(res, 500, kErrorServerFailure);

    const int64_t dropAfter = (allowDrop && m_faults) ? m_faults->TakeDropAfter() : -1;
    int64_t received = 0;
    bool overflow = false;
    bool dropped = false;
    bool writeFailed = false;
    const bool complete = reader([&](const char* data, size_t size) {
        size_t take = size;
        if (received + static_cast<int64_t>(size) > remaining) {
            overflow = true;
            return false;
        }
        if (dropAfter >= 0 && received + static_cast<int64_t>(size) >= dropAfter) {
            take = static_cast<size_t>(dropAfter - received);
            dropped = true;
        }
        if (checksum)
            checksum->Update(data, take);
        if (!writer.Append(data, take)) {
            writeFailed = true;
            return false;
        }
        received += static_cast<int64_t>(take);
        return !dropped;
    });

    if (writeFailed) {
        writer.Discard();
        return ReplyError(res, 500, kErrorServerFailure);
    }
    if (overflow) {
        writer.Discard();
        ReplyError(res, 413, kErrorNoSpace);
        res.set_header("Connection", "close");
        return;
    }
    // A chunk that carries a checksum is kept only whole and verified.
    if (checksum && (!complete || dropped || !checksum->Matches())) {
        writer.Discard();
        if (dropped)
            FaultInjector::AbortConnection(req);
        if (!complete || dropped)
            return ReplyError(res, 400, kErrorServerFailure);
        return ReplyError(res, kChecksumMismatch, kErrorRefused);
    }
    // Bytes first, then the offset that counts them.
    if (!writer.Commit())
        return ReplyError(res, 500, kErrorServerFailure);
    const auto& newHash = writer.Hash();
    row.offset = writer.Offset();
    if (newHash) {
        row.hashState = newHash->SaveState();
        row.hashOffset = row.offset;
    }
    const bool finished = complete && !dropped && row.offset == row.length;
    // Finishing records the final offset itself: one commit (and sync) fewer per small file.
    if (!finished)
        m_context.uploads.SaveProgress(row.id, row.offset, row.hashState, row.hashOffset);
    if (dropped)
        FaultInjector::AbortConnection(req);
    if (!complete || dropped)
        return ReplyError(res, 400, kErrorServerFailure);

    if (finished) {
        switch (m_finisher.Finish(row)) {
            case UploadFinisher::Result::Done:
                break;
            case UploadFinisher::Result::ChecksumMismatch:
                return ReplyError(res, kChecksumMismatch, kErrorRefused);
            case UploadFinisher::Result::Failed:
                return ReplyError(res, 500, kErrorServerFailure);
        }
    }
    AnswerOffset(res, row, 204);
}

void TusEndpoint::Terminate(const httplib::Request& req, httplib::Response& res) {
    const auto account = Admit(req, res);
    if (!account)
        return;
    const auto row = m_context.uploads.Find(req.matches[1], *account);
    if (!row) {
        res.status = 404;
        return;
    }
    const auto lease = m_locks.Acquire(row->id);
    if (!lease) {
        res.status = 423;
        return;
    }
    // A finished upload's file stays in its catalog; only the upload is forgotten.
    if (row->Finished())
        m_context.uploads.Remove(row->id);
    else
        m_finisher.Discard(*row);
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
    std::string body;
    bool tooLarge = false;
    const bool complete = reader([&](const char* data, size_t size) {
        if (body.size() + size > kMaxThumbnailBytes) {
            tooLarge = true;
            return false;
        }
        body.append(data, size);
        return true;
    });
    if (tooLarge) {
        ReplyError(res, 413, kErrorRefused);
        res.set_header("Connection", "close");
        return;
    }
    if (!complete)
        return ReplyError(res, 400, kErrorServerFailure);
    // JPEG files start with the SOI marker followed by another marker.
    if (body.size() < 4 || body.compare(0, 3, "\xFF\xD8\xFF") != 0)
        return ReplyError(res, 400, kErrorRefused);

    if (!m_finisher.AttachThumbnail(row->id, *account, body))
        return ReplyError(res, 500, kErrorServerFailure);
    res.status = 204;
}

}  // namespace nimbra::service
