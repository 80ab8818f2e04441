#include "engine/UploadJob.h"

#include <algorithm>
#include <filesystem>

#include "engine/Checksum.h"
#include "engine/ServiceAnswer.h"
#include "engine/TusClient.h"

namespace nimbra::engine {
namespace {

// Windows up to this size are read twice, checksum first (it stays in the cache, and the service reads
// such bodies the plain way); larger ones carry their checksum in a trailer computed while sending.
constexpr uint64_t kHeaderChecksumLimit = 4ull << 20;
// Repeated offset conflicts mean something else is writing to the upload.
constexpr int kMaxConflicts = 3;

}  // namespace

UploadJob::UploadJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store,
                     ConnectionSettings settings, std::shared_ptr<NetworkRetries> retries, Mode mode)
    : TaskJob(std::move(task), std::move(store), std::move(settings), std::move(retries)), m_mode(mode) {}

TransferJob::Step UploadJob::Advance(HttpRequest* finished) {
    if (!finished) {
        switch (m_phase) {
            case Phase::Begin:
                return Begin();
            default:
                return Step::Wait;  // a wake while a request is on the wire
        }
    }
    switch (m_phase) {
        case Phase::Creating:
            return OnCreated(*finished);
        case Phase::Querying:
            return OnOffset(*finished);
        case Phase::SendingThumbnail:
            return OnThumbnail(*finished);
        case Phase::Appending:
            return OnAppended(*finished);
        default:
            return Fail(OrvULD::ORV_ERROR_NETWORK);
    }
}

TransferJob::Step UploadJob::Begin() {
    m_work = m_task->Snapshot();
    if (m_mode == Mode::Confirm) {
        if (m_work.uploadUrl.empty()) {
            // Never created on the server: nothing to confirm, it starts from the beginning.
            Save([](TaskRecord& r) {
                r.state = OrvULD::ORV_SESSION_STATE_SYNC_UPLOADED;
                r.errorCode = 0;
                r.offset = 0;
            });
            return Step::Done;
        }
        return QueryOffset();
    }
    m_work = Save([](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_RUNNING;
        r.errorCode = 0;
    });
    m_file = LocalFile(m_work.localPath);
    if (!m_file.IsOpen() || !SourceUnchanged()) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    if (!m_work.uploadUrl.empty()) {
        return QueryOffset();
    }
    return Proceed();
}

TransferJob::Step UploadJob::QueryOffset() {
    m_phase = Phase::Querying;
    TusClient::QueryOffset(m_request, m_settings, m_work.uploadUrl);
    return Step::Send;
}

TransferJob::Step UploadJob::Proceed() {
    if (!m_work.uploadUrl.empty() && !m_work.thumbnailCopy.empty() && !m_work.thumbnailSent) {
        m_thumbnail = LocalFile(m_work.thumbnailCopy);
        const auto print = LocalFile::Fingerprint(m_work.thumbnailCopy);
        if (m_thumbnail.IsOpen() && print) {
            m_phase = Phase::SendingThumbnail;
            TusClient::PutThumbnail(m_request, m_settings, m_work.uploadUrl,
                                    {m_thumbnail.Fd(), 0, print->size});
            return Step::Send;
        }
        m_work = Save([](TaskRecord& r) { r.thumbnailSent = true; });  // the copy is gone: go on without it
    }
    if (!m_work.uploadUrl.empty() && m_work.offset >= m_work.size) {
        return Finish();
    }
    if (!SourceUnchanged()) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    return SendData();
}

TransferJob::Step UploadJob::SendData() {
    const uint64_t offset = m_work.offset;
    const uint64_t length = m_plan.LengthAt(offset, m_work.size);
    std::string checksum;  // empty: sent as a trailer
    if (length > 0 && length <= kHeaderChecksumLimit) {
        const auto digest = Checksum::Crc32cOfWindow(m_file.Fd(), offset, length);
        if (!digest) {
            return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
        }
        checksum = Checksum::Base64(*digest);
    }
    if (!SourceUnchanged()) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    const HttpRequest::FileBody body{m_file.Fd(), offset, length};
    if (m_work.uploadUrl.empty()) {
        m_phase = Phase::Creating;
        TusClient::Create(m_request, m_settings, m_work, body, checksum);
    } else {
        m_phase = Phase::Appending;
        TusClient::Append(m_request, m_settings, m_work.uploadUrl, body, checksum);
    }
    m_request.SetSendProgress(
        [task = m_task, base = offset](uint64_t sent) { task->SetLiveProgress(base + sent); });
    m_sentLength = length;
    m_sentAt = std::chrono::steady_clock::now();
    m_request.SetSourceCheck([this] { return SourceUnchanged(); });
    return Step::Send;
}

TransferJob::Step UploadJob::OnCreated(HttpRequest& answer) {
    const std::string location = answer.Header("location");
    if (!answer.Ok() || location.empty()) {
        return FailChunk(answer);
    }
    m_plan.Measured(m_sentLength, std::chrono::steady_clock::now() - m_sentAt);
    const uint64_t offset = TusClient::Offset(answer).value_or(0);
    const std::string url = ResolveLocation(location);
    const std::string fileId = answer.Header("x-nimbra-file-id");
    m_work = Save([&](TaskRecord& r) {
        r.uploadUrl = url;
        r.offset = offset;
        r.remoteFileId = fileId;
    });
    return Proceed();
}

TransferJob::Step UploadJob::OnOffset(HttpRequest& answer) {
    if (answer.Code() == CURLE_OK && (answer.Status() == 404 || answer.Status() == 410)) {
        // The server no longer knows the upload (expired or terminated): start it over.
        m_work = Save([&](TaskRecord& r) {
            r.uploadUrl.clear();
            r.offset = 0;
            r.thumbnailSent = false;
            if (m_mode == Mode::Confirm) {
                r.state = OrvULD::ORV_SESSION_STATE_SYNC_UPLOADED;
            }
        });
        return m_mode == Mode::Confirm ? Step::Done : Proceed();
    }
    const auto offset = TusClient::Offset(answer);
    if (!answer.Ok() || !offset) {
        return Fail(ServiceAnswer::ErrorCode(answer));
    }
    const std::string fileId = answer.Header("x-nimbra-file-id");
    if (*offset >= m_work.size) {
        m_work = Save([&](TaskRecord& r) {
            r.offset = *offset;
            r.remoteFileId = fileId;
        });
        return Proceed();
    }
    m_work = Save([&](TaskRecord& r) {
        r.offset = *offset;
        if (m_mode == Mode::Confirm) {
            r.state = OrvULD::ORV_SESSION_STATE_SYNC_UPLOADED;
            r.errorCode = 0;
        }
    });
    return m_mode == Mode::Confirm ? Step::Done : Proceed();
}

TransferJob::Step UploadJob::OnAppended(HttpRequest& answer) {
    if (answer.Code() == CURLE_OK && answer.Status() == 409 && ++m_conflicts <= kMaxConflicts) {
        return QueryOffset();
    }
    const auto offset = TusClient::Offset(answer);
    if (!answer.Ok() || !offset) {
        return FailChunk(answer);
    }
    m_conflicts = 0;
    m_plan.Measured(m_sentLength, std::chrono::steady_clock::now() - m_sentAt);
    const std::string fileId = answer.Header("x-nimbra-file-id");
    m_work = Save([&](TaskRecord& r) {
        r.offset = *offset;
        r.remoteFileId = fileId;
    });
    return Proceed();
}

TransferJob::Step UploadJob::OnThumbnail(HttpRequest& answer) {
    if (answer.Code() != CURLE_OK) {
        return Fail(OrvULD::ORV_ERROR_NETWORK);
    }
    // A refused thumbnail does not stop the file itself.
    m_work = Save([](TaskRecord& r) { r.thumbnailSent = true; });
    m_thumbnail = LocalFile();
    return Proceed();
}

TransferJob::Step UploadJob::Finish() {
    if (!m_work.thumbnailCopy.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_work.thumbnailCopy, ec);
    }
    Save([](TaskRecord& r) { r.thumbnailCopy.clear(); });
    return Succeed();
}

TransferJob::Step UploadJob::FailChunk(const HttpRequest& answer) {
    if (answer.SourceFailed() || !SourceUnchanged()) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    return Fail(ServiceAnswer::ErrorCode(answer));
}

bool UploadJob::SourceUnchanged() const {
    const FileFingerprint expected{m_work.sourceSize, m_work.sourceMtimeNs};
    const auto now = LocalFile::Fingerprint(m_work.localPath);
    return now && *now == expected && m_file.Matches(expected);
}

std::string UploadJob::ResolveLocation(const std::string& location) const {
    if (location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0) {
        return location;
    }
    // A path-only Location belongs to the endpoint's origin.
    const auto schemeEnd = m_work.endpointUrl.find("://");
    const auto pathStart =
        schemeEnd == std::string::npos ? std::string::npos : m_work.endpointUrl.find('/', schemeEnd + 3);
    return m_work.endpointUrl.substr(0, pathStart) + (location.front() == '/' ? "" : "/") + location;
}

}  // namespace nimbra::engine
