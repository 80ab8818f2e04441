#pragma once
// Checksums and encodings the upload protocol needs: the CRC-32C each request body carries, and base64.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::engine {

class Checksum final {
public:
    // The Upload-Checksum algorithm the engine sends.
    static constexpr const char* kAlgorithm = "crc32c";

    // CRC-32C of length bytes of the open file fd from offset; nullopt when the file ends early or cannot be
    // read.
    static std::optional<uint32_t> Crc32cOfWindow(int fd, uint64_t offset, uint64_t length);
    static std::string Base64(std::string_view bytes);
    // The checksum header's value of a CRC-32C: its four bytes, most significant first, in base64.
    static std::string Base64(uint32_t crc);
};

}  // namespace nimbra::engine
