#pragma once
// The tus 1.0.0 requests of an upload (creation with upload, offset query, append, termination, thumbnail)
// and the reading of their answers. No state of its own: the upload job decides what to send next.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/HttpRequest.h"
#include "engine/TaskRecord.h"

namespace nimbra::engine {

class TusClient final {
public:
    static constexpr const char* kVersion = "1.0.0";

    // The Upload-Metadata value for a task: filename plus every non-empty description field.
    static std::string Metadata(const TaskRecord& task);
    // POST to the endpoint creating an upload of the task's size; body is its first chunk (may be empty).
    // A body goes with its CRC-32C: in a header when checksumBase64 is given, else in a trailer.
    static void Create(HttpRequest& request, const ConnectionSettings& settings, const TaskRecord& task,
                       const HttpRequest::FileBody& body, const std::string& checksumBase64);
    static void QueryOffset(HttpRequest& request, const ConnectionSettings& settings,
                            const std::string& uploadUrl);
    static void Append(HttpRequest& request, const ConnectionSettings& settings, const std::string& uploadUrl,
                       const HttpRequest::FileBody& body, const std::string& checksumBase64);
    static void Terminate(HttpRequest& request, const ConnectionSettings& settings,
                          const std::string& uploadUrl);
    static void PutThumbnail(HttpRequest& request, const ConnectionSettings& settings,
                             const std::string& uploadUrl, const HttpRequest::FileBody& body);

    // Upload-Offset of an answer, when present and well-formed.
    static std::optional<uint64_t> Offset(const HttpRequest& answer);
};

}  // namespace nimbra::engine
