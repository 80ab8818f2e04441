#include "engine/ServiceAnswer.h"

#include <charconv>

#include "engine/OrvULD.h"

namespace nimbra::engine {

int32_t ServiceAnswer::ErrorCode(const HttpRequest& answer) {
    if (answer.Code() != CURLE_OK) {
        return OrvULD::ORV_ERROR_NETWORK;
    }
    if (const auto code = ParseUnsigned(answer.Header("x-nimbra-error"));
        code && *code > 0 && *code < 100000) {
        return static_cast<int32_t>(*code);
    }
    switch (answer.Status()) {
        case 401:
            return OrvULD::ORV_ERROR_SIGNON_EXPIRED;
        case 404:
            return OrvULD::ORV_ERROR_NO_CATALOG;
        case 413:
            return OrvULD::ORV_ERROR_NO_SPACE;
        case 400:
        case 460:
            return OrvULD::ORV_ERROR_REFUSED;
        default:
            return OrvULD::ORV_ERROR_NETWORK;
    }
}

std::optional<uint64_t> ServiceAnswer::ParseUnsigned(const std::string& text) {
    uint64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace nimbra::engine
