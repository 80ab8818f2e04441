#pragma once

#include <httplib.h>

#include <filesystem>
#include <string>

namespace nimbra::service {

// Streams a file from disk in large chunks; a single "Range: bytes=..." gives 206 with Content-Range,
// an unsatisfiable one 416, several ranges the whole file. Every answer carries an ETag that changes with
// the file; an If-Range naming another one gets the whole file, so a client never splices two versions.
// `dropAfter` >= 0 ends the answer after that many body bytes (test hook). False when the file cannot be
// opened.
bool SendFile(const httplib::Request& req, httplib::Response& res, const std::filesystem::path& path,
              const std::string& contentType, int64_t dropAfter = -1);

}  // namespace nimbra::service
