#pragma once
// One upload over tus: create (carrying the first chunk), send the thumbnail, append chunks with their
// checksums, and finish; or, to confirm a task with the server, only ask its offset.
// Every request body carries its CRC-32C: small ones in a header, computed in a pass before sending; large
// ones in a trailer, computed while sending, so that their bytes are read only once.

#include <chrono>
#include <memory>

#include "engine/ChunkPlan.h"
#include "engine/LocalFile.h"
#include "engine/TaskJob.h"

namespace nimbra::engine {

class UploadJob final : public TaskJob {
public:
    enum class Mode { Transfer, Confirm };
    // Files up to this size go in one short request.
    static constexpr uint64_t kLightFileSize = 1ull << 20;

    UploadJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings,
              std::shared_ptr<NetworkRetries> retries, Mode mode);

    Step Advance(HttpRequest* finished) override;
    bool Light() const override { return m_task->Size() <= kLightFileSize; }

private:
    enum class Phase { Begin, Creating, Querying, SendingThumbnail, Appending };

    Step Begin();
    Step OnCreated(HttpRequest& answer);
    Step OnOffset(HttpRequest& answer);
    Step OnAppended(HttpRequest& answer);
    Step OnThumbnail(HttpRequest& answer);
    Step QueryOffset();
    // The next step after any answer: thumbnail, finish, or the next chunk.
    Step Proceed();
    Step SendData();
    Step Finish();
    Step FailChunk(const HttpRequest& answer);
    bool SourceUnchanged() const;
    std::string ResolveLocation(const std::string& location) const;

    const Mode m_mode;
    Phase m_phase = Phase::Begin;
    TaskRecord m_work;
    LocalFile m_file;
    LocalFile m_thumbnail;
    int m_conflicts = 0;
    ChunkPlan m_plan;
    uint64_t m_sentLength = 0;  // of the data request on the wire
    std::chrono::steady_clock::time_point m_sentAt;
};

}  // namespace nimbra::engine
