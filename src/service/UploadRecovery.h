#pragma once

#include "service/DataLayout.h"
#include "service/UploadStore.h"

namespace nimbra::service {

// Runs at start, before anything is answered: chunks are not synced as they arrive, so the confirmed offset
// of an unfinished upload may count bytes a crash of the machine lost. Each upload's bytes are flushed to
// the disk and its offset cut to what the file really holds; the client resumes from there.
class UploadRecovery final {
public:
    UploadRecovery(const DataLayout& layout, UploadStore& uploads) : m_layout(layout), m_uploads(uploads) {}

    void Run();

private:
    const DataLayout& m_layout;
    UploadStore& m_uploads;
};

}  // namespace nimbra::service
