#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nimbra::service {

// Wire form of catalog ids: the top catalog is "root" (clients may also say "10000000000011" or nothing).
std::optional<int64_t> ParseCatalogId(const std::string& text);
std::string FormatCatalogId(int64_t catalogId);

// A file or catalog name the disk can hold: valid UTF-8, 1..255 bytes, no path separator, no control
// character, not "." or "..".
bool IsAcceptableName(const std::string& name);

// A non-negative decimal that fits 64 bits.
std::optional<int64_t> ParseSize(const std::string& text);

// The text without the spaces and tabs around it (HTTP's optional white space).
std::string TrimBlanks(const std::string& text);

}  // namespace nimbra::service
