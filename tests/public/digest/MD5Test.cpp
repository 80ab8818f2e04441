// MD5 against the test suite of RFC 1321 (appendix A.5), whole and in pieces, and its two refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "digest/MD5.h"

namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// Feeds the message in pieces of the given size (0: whole).
std::string DigestOf(CMD5& md5, const std::string& message, size_t piece = 0) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
    if (piece == 0 || message.empty()) {
        md5.AddData(bytes, static_cast<long>(message.size()));
    }
    for (size_t at = 0; piece != 0 && at < message.size(); at += piece) {
        md5.AddData(bytes + at, static_cast<long>(std::min(piece, message.size() - at)));
    }
    unsigned char digest[CMD5::kDigestSize];
    md5.FinalDigest(digest);
    return Hex(digest, sizeof digest);
}

TEST(MD5Test, TheRfc1321SuiteWholeAndInPiecesOnOneReusedObject) {
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    CMD5 md5;
    for (const auto& [message, expected] : suite) {
        EXPECT_EQ(DigestOf(md5, message), expected) << '"' << message << '"';
        // Pieces that straddle the 64-byte blocks of the algorithm.
        EXPECT_EQ(DigestOf(md5, message, 7), expected) << '"' << message << "\" in pieces";
    }
}

TEST(MD5Test, ANegativeLengthOrADigestOfNothingAddedIsRefusedWithItsText) {
    CMD5 md5;
    const unsigned char byte = 'a';
    try {
        md5.AddData(&byte, -1);
        FAIL() << "a negative length was taken";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "FileDigest ERROR: in CMD5::AddData(), Data Length should be >= 0!");
    }
    unsigned char digest[CMD5::kDigestSize];
    try {
        md5.FinalDigest(digest);
        FAIL() << "a digest of nothing added was given";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "FileDigest ERROR: in CMD5::FinalDigest(), No data Added before call!");
    }
    // The refused call added nothing; after a digest the object starts over.
    md5.AddData(&byte, 1);
    md5.FinalDigest(digest);
    EXPECT_EQ(Hex(digest, sizeof digest), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_THROW(md5.FinalDigest(digest), std::logic_error);
}

}  // namespace
