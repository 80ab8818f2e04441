#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::service {

// Wire form of catalog ids: the top catalog is "root" (clients may also say "10000000000011" or nothing).
std::optional<int64_t> ParseCatalogId(const std::string& text);
std::string FormatCatalogId(int64_t catalogId);

// A file or catalog name the disk can hold: valid UTF-8, 1..255 bytes, no path separator, no control
// character, not "." or "..".
bool IsAcceptableName(const std::string& name);

// Free text a file carries (tag, description, content id): valid UTF-8 of at most maxBytes without control
// characters; line breaks and tabs only where `lineBreaks` allows them. Empty is acceptable.
bool IsAcceptableText(const std::string& text, size_t maxBytes, bool lineBreaks);

// Text an XML document can carry whatever it was stored as: invalid UTF-8 becomes U+FFFD, characters
// XML 1.0 forbids (control characters other than tab and line breaks, U+FFFE, U+FFFF) are dropped.
std::string XmlSafeText(std::string_view text);

// A non-negative decimal that fits 64 bits.
std::optional<int64_t> ParseSize(const std::string& text);

// The text without the spaces and tabs around it (HTTP's optional white space).
std::string TrimBlanks(const std::string& text);

}  // namespace nimbra::service
