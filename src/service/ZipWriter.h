#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace nimbra::service {

// Writes a zip archive (deflated entries) with the given entry names and contents; false on failure.
bool WriteZipArchive(const std::filesystem::path& path, const std::map<std::string, std::string>& entries);

}  // namespace nimbra::service
