#pragma once
// Digests and encodings the upload protocol needs, on GNU Nettle.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::engine {

using Sha1Digest = std::array<uint8_t, 20>;

class Checksum final {
public:
    // SHA-1 of length bytes of the open file fd from offset; nullopt when the file ends early, cannot be
    // read, or cancel becomes true.
    static std::optional<Sha1Digest> Sha1OfWindow(int fd, uint64_t offset, uint64_t length,
                                                  const std::atomic<bool>* cancel = nullptr);
    static std::string Hex(const Sha1Digest& digest);
    static std::string Base64(std::string_view bytes);
    static std::string Base64(const Sha1Digest& digest);
};

}  // namespace nimbra::engine
