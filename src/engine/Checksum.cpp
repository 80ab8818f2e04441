#include "engine/Checksum.h"

#include <nettle/base64.h>
#include <nettle/sha1.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace nimbra::engine {

std::optional<Sha1Digest> Checksum::Sha1OfWindow(int fd, uint64_t offset, uint64_t length,
                                                 const std::atomic<bool>* cancel) {
    constexpr size_t kBlock = 1 << 20;
    std::vector<uint8_t> buffer(
        static_cast<size_t>(std::min<uint64_t>(kBlock, std::max<uint64_t>(length, 1))));
    sha1_ctx ctx;
    sha1_init(&ctx);
    uint64_t done = 0;
    while (done < length) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), length - done));
        const ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        sha1_update(&ctx, static_cast<size_t>(got), buffer.data());
        done += static_cast<uint64_t>(got);
    }
    Sha1Digest digest;
    sha1_digest(&ctx, digest.size(), digest.data());
    return digest;
}

std::string Checksum::Hex(const Sha1Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string Checksum::Base64(std::string_view bytes) {
    std::string text(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(text.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    return text;
}

std::string Checksum::Base64(const Sha1Digest& digest) {
    return Base64(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

}  // namespace nimbra::engine
