#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "service/http/HttpRequest.h"
#include "service/http/HttpResponse.h"

namespace nimbra::service {

// Answers a file from disk; a single "Range: bytes=..." gives 206 with Content-Range, one that cannot be
// satisfied or read 416, several ranges the whole file. Every answer carries an ETag that changes with the
// file; an If-Range naming another one gets the whole file, so a client never splices two versions.
// `dropAfter` >= 0 ends the answer after that many body bytes (test hook). False when the file cannot be
// opened.
bool SendFile(const HttpRequest& req, HttpResponse& res, const std::filesystem::path& path,
              const std::string& contentType, int64_t dropAfter = -1);

}  // namespace nimbra::service
