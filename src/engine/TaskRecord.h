#pragma once
// Everything the engine knows about one task, as it is kept in the task database.

#include <cstdint>
#include <string>

#include "engine/OrvULD.h"

namespace nimbra::engine {

enum class TaskKind : int32_t { Upload = 0, Download = 1 };

struct TaskRecord {
    int32_t id = 0;
    TaskKind kind = TaskKind::Upload;
    OrvULD::ORV_UPLOAD_SESSION_STATE state = OrvULD::ORV_SESSION_STATE_READY;
    int32_t errorCode = 0;
    // Set once the task was handed to the transfer queue; an unstarted upload waits for UpLoad.
    bool started = false;

    std::string localPath;
    std::string displayName;
    uint64_t size = 0;
    // Bytes the server confirmed (uploads) or the partial file holds (downloads).
    uint64_t offset = 0;

    // The local file as it was when the task was made; a change fails the task instead of sending garbage.
    uint64_t sourceSize = 0;
    int64_t sourceMtimeNs = 0;

    // Upload description, sent as tus metadata.
    std::string description;
    bool complexFlag = false;
    std::string complexCid;
    std::string appType;
    std::string parentCatalogId;
    std::string newCatalogName;
    std::string tag;
    std::string miniaturePath;
    uint64_t miniatureSize = 0;
    // The engine's own copy of the thumbnail, taken when the task starts.
    std::string thumbnailCopy;
    bool thumbnailSent = false;

    // Upload: a random key sent with every creation request of the task, so that the server recognises a
    // creation repeated after its answer was lost.
    std::string creationKey;
    // Upload: the creation endpoint and, once created, the upload's own URL. Download: the source URL.
    std::string endpointUrl;
    std::string uploadUrl;
    std::string remoteUrl;
    std::string remoteFileId;
    // Download: the ETag of the version the partial file holds; a continuation asks for that version only.
    std::string remoteTag;
};

}  // namespace nimbra::engine
