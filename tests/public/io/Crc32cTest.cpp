// The upload checksum both ends of an upload compute.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "io/Crc32c.h"

namespace nimbra::io {
namespace {

TEST(ChecksumTest, Crc32cMatchesTheKnownValueWhateverThePiecesItIsFedIn) {
    EXPECT_EQ(Crc32c::Extend(0, "123456789", 9), 0xE3069283u);
    EXPECT_EQ(Crc32c::Extend(0, "", 0), 0u);
    // Long enough for the interleaved streams, with lengths that leave odd tails.
    std::string bytes(3 * 8192 * 3 + 1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 131 + i / 251);
    }
    const uint32_t whole = Crc32c::Extend(0, bytes.data(), bytes.size());
    uint32_t pieces = 0;
    size_t offset = 0;
    for (size_t piece : {1, 7, 769, 4096, 30000, 1 << 20}) {
        const size_t take = std::min(piece, bytes.size() - offset);
        pieces = Crc32c::Extend(pieces, bytes.data() + offset, take);
        offset += take;
    }
    ASSERT_EQ(offset, bytes.size());
    EXPECT_EQ(pieces, whole);
    uint32_t bytewise = 0;
    for (char c : bytes) {
        bytewise = Crc32c::Extend(bytewise, &c, 1);
    }
    EXPECT_EQ(bytewise, whole);
}

}  // namespace
}  // namespace nimbra::io
