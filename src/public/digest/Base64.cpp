#include "digest/Base64.h"

#include <nettle/base64.h>

std::string Base64Encode(std::string_view bytes) {
    std::string text(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(text.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    return text;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    // Nettle skips white space and accepts a text cut short of its padding; Base64 of ours is neither.
    if (text.size() % 4 != 0 || text.find_first_of(" \t\r\n") != std::string_view::npos) {
        return std::nullopt;
    }
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    std::string bytes(BASE64_DECODE_LENGTH(text.size()), '\0');
    size_t length = bytes.size();
    if (!base64_decode_update(&ctx, &length, reinterpret_cast<uint8_t*>(bytes.data()), text.size(),
                              text.data()) ||
        !base64_decode_final(&ctx)) {
        return std::nullopt;
    }
    bytes.resize(length);
    return bytes;
}
