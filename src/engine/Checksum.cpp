#include "engine/Checksum.h"

#include <nettle/base64.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "io/Crc32c.h"

namespace nimbra::engine {

std::optional<uint32_t> Checksum::Crc32cOfWindow(int fd, uint64_t offset, uint64_t length) {
    // Small enough to stay in the cache between the read and the checksum.
    constexpr size_t kBlock = 256 << 10;
    std::vector<uint8_t> buffer(
        static_cast<size_t>(std::min<uint64_t>(kBlock, std::max<uint64_t>(length, 1))));
    uint32_t crc = 0;
    uint64_t done = 0;
    while (done < length) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), length - done));
        const ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        crc = io::Crc32c::Extend(crc, buffer.data(), static_cast<size_t>(got));
        done += static_cast<uint64_t>(got);
    }
    return crc;
}

std::string Checksum::Base64(std::string_view bytes) {
    std::string text(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(text.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    return text;
}

std::string Checksum::Base64(uint32_t crc) {
    const auto bytes = io::Crc32c::Bytes(crc);
    return Base64(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace nimbra::engine
