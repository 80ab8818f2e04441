#pragma once
// Standard Base64 (RFC 4648 alphabet, "=" padding) on GNU Nettle.

#include <optional>
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
// Nothing for text that is not Base64 (wrong characters, missing or misplaced padding).
std::optional<std::string> Base64Decode(std::string_view text);
