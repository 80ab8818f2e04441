#pragma once
// CRC-32C (Castagnoli), the checksum of each upload request body: cheap enough to cost little beside sending
// the bytes. Uses the processor's CRC instruction where it has one, in three interleaved streams.

#include <array>
#include <cstddef>
#include <cstdint>

namespace nimbra::io {

class Crc32c final {
public:
    // The CRC-32C of the bytes that follow a text whose CRC-32C is crc (0 for the empty text).
    static uint32_t Extend(uint32_t crc, const void* data, size_t size);
    // The value as the checksum header carries it: four bytes, most significant first.
    static std::array<uint8_t, 4> Bytes(uint32_t crc);
};

}  // namespace nimbra::io
