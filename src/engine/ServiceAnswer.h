#pragma once
// How the service's answers read: its error codes and its numeric headers.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/HttpRequest.h"

namespace nimbra::engine {

class ServiceAnswer final {
public:
    // The engine error code a failed exchange stands for: network failures are 8000, then the service's own
    // X-Nimbra-Error, then what the status means.
    static int32_t ErrorCode(const HttpRequest& answer);
    // A decimal header value; nullopt when empty or not entirely digits.
    static std::optional<uint64_t> ParseUnsigned(const std::string& text);
};

}  // namespace nimbra::engine
