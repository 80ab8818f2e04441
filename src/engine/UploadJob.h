#pragma once
// One upload over tus: create (carrying the first chunk), send the thumbnail, append chunks with their
// checksums, and finish; or, to confirm a task with the server, only ask its offset.
// Every request body carries its CRC-32C: small ones in a header, computed in a pass before sending; large
// ones in a trailer, computed while sending, so that their bytes are read only once.

#include <memory>

#include "engine/LocalFile.h"
#include "engine/TaskJob.h"

namespace nimbra::engine {

class UploadJob final : public TaskJob {
public:
    enum class Mode { Transfer, Confirm };
    // The creation carries up to kFirstChunkSize bytes; every later request as many as are already confirmed,
    // up to kMaxChunkSize. Small files go in one request, large ones in a few, and a failed request (whose
    // bytes the server drops, as their checksum cannot be checked) costs at most one chunk.
    static constexpr uint64_t kFirstChunkSize = 16ull << 20;
    static constexpr uint64_t kMaxChunkSize = 256ull << 20;
    // Files up to this size go in one short request.
    static constexpr uint64_t kLightFileSize = 1ull << 20;

    UploadJob(std::shared_ptr<Task> task, std::shared_ptr<TaskStore> store, ConnectionSettings settings,
              Mode mode);

    Step Advance(HttpRequest* finished) override;
    bool Light() const override { return m_task->Size() <= kLightFileSize; }

private:
    enum class Phase { Begin, Creating, Querying, SendingThumbnail, Appending };
    struct Window {
        uint64_t offset = 0;
        uint64_t length = 0;
    };

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
    Window WindowAt(uint64_t offset) const;
    bool SourceUnchanged() const;
    std::string ResolveLocation(const std::string& location) const;

    const Mode m_mode;
    Phase m_phase = Phase::Begin;
    TaskRecord m_work;
    LocalFile m_file;
    LocalFile m_thumbnail;
    int m_conflicts = 0;
};

}  // namespace nimbra::engine
