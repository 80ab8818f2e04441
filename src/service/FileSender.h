#pragma once

#include <httplib.h>

#include <filesystem>
#include <string>

namespace nimbra::service {

// Streams a file from disk in large chunks; a single "Range: bytes=..." gives 206 with Content-Range,
// an unsatisfiable one 416, several ranges the whole file. False when the file cannot be opened.
bool SendFile(const httplib::Request& req, httplib::Response& res, const std::filesystem::path& path,
              const std::string& contentType);

}  // namespace nimbra::service
