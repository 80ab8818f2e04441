#include "engine/DownloadJob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "engine/ServiceAnswer.h"

namespace nimbra::engine {
namespace {

constexpr size_t kBlockBytes = 1 << 20;

}  // namespace

DownloadJob::DownloadJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store,
                         ConnectionSettings settings, std::shared_ptr<NetworkRetries> retries)
    : TaskJob(std::move(task), std::move(store), std::move(settings), std::move(retries)) {}

DownloadJob::~DownloadJob() {
    CloseFile();
}

TransferJob::Step DownloadJob::Advance(HttpRequest* finished) {
    return finished ? OnAnswer(*finished) : Begin();
}

TransferJob::Step DownloadJob::Begin() {
    m_work = Save([](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_RUNNING;
        r.errorCode = 0;
    });
    const std::string part = PartPath(m_work.localPath);
    m_fd = open(part.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    struct stat st {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    // The partial file is the truth: it may hold more than the database saw before a kill.
    m_written = static_cast<uint64_t>(st.st_size);
    m_file.emplace(m_fd, part, m_written);
    if (m_work.size > 0 && m_written > m_work.size && !Truncate()) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    m_work = Save([&](TaskRecord& r) { r.offset = m_written; });
    if (m_work.size > 0 && m_written == m_work.size) {
        return Complete();
    }
    return Request();
}

TransferJob::Step DownloadJob::Request() {
    m_requestedFrom = m_written;
    m_firstBody = true;
    m_request.Prepare("GET", m_work.remoteUrl, m_settings);
    // Only the version the partial file came from may continue it; a partial file of unknown version is
    // fetched again whole (the answer's 200 starts it over).
    if (m_written > 0 && !m_work.remoteTag.empty()) {
        m_request.AddHeader("Range: bytes=" + std::to_string(m_written) + "-");
        m_request.AddHeader("If-Range: " + m_work.remoteTag);
    }
    m_request.SetSink([this](const char* data, size_t size) { return Append(data, size); });
    return Step::Send;
}

bool DownloadJob::Append(const char* data, size_t size) {
    if (m_firstBody) {
        m_firstBody = false;
        long status = 0;
        curl_easy_getinfo(m_request.Handle(), CURLINFO_RESPONSE_CODE, &status);
        if (status != 206 && m_written > 0) {
            // The server sent the whole file instead of the range: start the partial file over.
            if (!Truncate()) {
                m_localFailed = true;
                return false;
            }
            m_requestedFrom = 0;
        }
        const uint64_t total = TotalSize(m_request);
        const std::string tag = m_request.Header("etag");
        if ((total > 0 && total != m_work.size) || tag != m_work.remoteTag) {
            m_work = Save([&](TaskRecord& r) {
                r.size = total > 0 ? total : r.size;
                r.remoteTag = tag;
            });
        }
    }
    // Gathered into blocks that end on aligned offsets, which the file writes around the page cache.
    while (size > 0) {
        const size_t before = size;
        const bool full =
            io::SequentialFile::FillBlock(m_block, m_written - m_block.size(), kBlockBytes, data, size);
        m_written += before - size;
        if (full && !Submit()) {
            m_localFailed = true;
            return false;
        }
    }
    m_task->SetLiveProgress(m_written);
    return true;
}

bool DownloadJob::Submit() {
    // The disk gets its own thread, so that a slow one neither holds up the network nor other transfers.
    if (!m_writer) {
        m_writer = std::make_unique<io::WriteBehind>(std::vector<io::WriteBehind::Stage>{
            [this](const io::AlignedBlock& block) { return m_file->Write(block.data(), block.size()); }});
    }
    m_block = m_writer->Submit(std::move(m_block));
    return !m_writer->Failed();
}

bool DownloadJob::Flush() {
    const bool drained = !m_writer || m_writer->Drain();
    m_writer.reset();
    if (!drained || !m_file->Write(m_block.data(), m_block.size())) {
        return false;
    }
    m_block.clear();
    return true;
}

bool DownloadJob::Truncate() {
    m_writer.reset();  // what it still holds is cut off with the rest
    m_block.clear();
    if (ftruncate(m_fd, 0) != 0) {
        return false;
    }
    m_file->MoveTo(0);
    m_written = 0;
    return true;
}

TransferJob::Step DownloadJob::OnAnswer(HttpRequest& answer) {
    const bool flushed = Flush();  // also stops the writer before the file is looked at
    if (m_localFailed || !flushed) {
        Save([&](TaskRecord& r) { r.offset = m_file->Offset(); });
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    if (answer.Code() == CURLE_OK && answer.Status() == 416 && m_written > 0 &&
        TotalSize(answer) == m_written) {
        // The partial file already holds everything (the last run ended before renaming it).
        m_work = Save([&](TaskRecord& r) { r.size = m_written; });
        return Complete();
    }
    if (answer.Code() == CURLE_OK && answer.Status() == 416 && !m_restarted) {
        // The partial file is not a prefix the server can continue: fetch it whole once.
        m_restarted = true;
        if (!Truncate()) {
            return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
        }
        return Request();
    }
    if (!answer.Ok()) {
        Save([&](TaskRecord& r) { r.offset = m_written; });
        return Fail(ServiceAnswer::ErrorCode(answer));
    }
    if (m_work.size == 0) {
        m_work =
            Save([&](TaskRecord& r) { r.size = m_written; });  // an answer without any size: take what came
    }
    if (m_written != m_work.size) {
        Save([&](TaskRecord& r) { r.offset = m_written; });
        return Fail(OrvULD::ORV_ERROR_NETWORK);
    }
    return Complete();
}

TransferJob::Step DownloadJob::Complete() {
    const bool synced = fsync(m_fd) == 0;
    CloseFile();
    const std::string part = PartPath(m_work.localPath);
    if (!synced || std::rename(part.c_str(), m_work.localPath.c_str()) != 0) {
        return Fail(OrvULD::ORV_ERROR_LOCAL_FILE);
    }
    return Succeed();
}

uint64_t DownloadJob::TotalSize(const HttpRequest& answer) const {
    const std::string range = answer.Header("content-range");
    if (const auto slash = range.rfind('/'); slash != std::string::npos) {
        if (const auto total = ServiceAnswer::ParseUnsigned(range.substr(slash + 1))) {
            return *total;
        }
    }
    curl_off_t length = -1;
    curl_easy_getinfo(answer.Handle(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length >= 0 ? m_requestedFrom + static_cast<uint64_t>(length) : 0;
}

void DownloadJob::CloseFile() {
    // A job stopped between answers (paused, cancelled) keeps every byte it received; should that fail, the
    // partial file still says what it holds.
    if (m_file && (m_writer || !m_block.empty())) {
        Flush();
    }
    m_file.reset();
    m_block = io::AlignedBlock();
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

}  // namespace nimbra::engine
