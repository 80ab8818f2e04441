#pragma once
// One download: GET with Range from the bytes already in "<file>.part", appended to it, and the partial file
// renamed to its name once complete.

#include <optional>

#include "engine/TaskJob.h"
#include "io/SequentialFile.h"
#include "io/WriteBehind.h"

namespace nimbra::engine {

class DownloadJob final : public TaskJob {
public:
    static std::string PartPath(const std::string& localPath) { return localPath + ".part"; }

    DownloadJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings,
                std::shared_ptr<NetworkRetries> retries);
    ~DownloadJob() override;

    Step Advance(HttpRequest* finished) override;

private:
    Step Begin();
    Step OnAnswer(HttpRequest& answer);
    Step Complete();
    Step Request();
    bool Append(const char* data, size_t size);
    // Writes what waits in the writer and the block; after it, every byte received is in the partial file.
    bool Flush();
    // Hands the full block to the writer thread, started for the first one.
    bool Submit();
    // Starts the partial file over, empty.
    bool Truncate();
    // The whole size from Content-Range or Content-Length; 0 when the answer does not say.
    uint64_t TotalSize(const HttpRequest& answer) const;
    void CloseFile();

    TaskRecord m_work;
    int m_fd = -1;
    std::optional<io::SequentialFile> m_file;  // while the writer runs, only its thread touches this
    std::unique_ptr<io::WriteBehind> m_writer;
    io::AlignedBlock m_block;  // received bytes not yet in the file
    uint64_t m_written = 0;    // bytes received: in the file, then in the block
    uint64_t m_requestedFrom = 0;
    bool m_firstBody = true;
    bool m_localFailed = false;
    bool m_restarted = false;
};

}  // namespace nimbra::engine
