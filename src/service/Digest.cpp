#include "service/Digest.h"

#include <nettle/base64.h>

#include <cstring>

#include "io/Crc32c.h"

namespace nimbra::service {

std::optional<std::string> Base64Decode(const std::string& text) {
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    std::string out(BASE64_DECODE_LENGTH(text.size()), '\0');
    size_t length = out.size();
    if (!base64_decode_update(&ctx, &length, reinterpret_cast<uint8_t*>(out.data()), text.size(),
                              text.data()) ||
        !base64_decode_final(&ctx))
        return std::nullopt;
    out.resize(length);
    return out;
}

std::string Base64Encode(const std::string& bytes) {
    std::string out(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(out.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    return out;
}

std::string HexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::optional<FileSha1> FileSha1::Restore(const std::string& state) {
    if (state.size() != sizeof(sha1_ctx))
        return std::nullopt;
    FileSha1 result;
    std::memcpy(&result.m_ctx, state.data(), sizeof(sha1_ctx));
    return result;
}

void FileSha1::Update(const char* data, size_t size) {
    sha1_update(&m_ctx, size, reinterpret_cast<const uint8_t*>(data));
}

std::string FileSha1::SaveState() const {
    return std::string(reinterpret_cast<const char*>(&m_ctx), sizeof(m_ctx));
}

std::string FileSha1::HexDigest() const {
    sha1_ctx copy = m_ctx;
    std::string digest(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&copy, digest.size(), reinterpret_cast<uint8_t*>(digest.data()));
    return HexOf(digest);
}

std::optional<ChunkChecksum> ChunkChecksum::Parse(const std::string& header) {
    const size_t space = header.find(' ');
    if (space == std::string::npos)
        return std::nullopt;
    const std::string algorithm = header.substr(0, space);
    auto expected = Base64Decode(header.substr(space + 1));
    if (!expected)
        return std::nullopt;
    ChunkChecksum result;
    result.m_expected = *expected;
    if (algorithm == "crc32c" && expected->size() == sizeof(uint32_t)) {
        result.m_ctx = Crc32cState{0};
    } else if (algorithm == "sha1" && expected->size() == SHA1_DIGEST_SIZE) {
        sha1_ctx ctx;
        sha1_init(&ctx);
        result.m_ctx = ctx;
    } else if (algorithm == "md5" && expected->size() == MD5_DIGEST_SIZE) {
        md5_ctx ctx;
        md5_init(&ctx);
        result.m_ctx = ctx;
    } else {
        return std::nullopt;
    }
    return result;
}

void ChunkChecksum::Update(const char* data, size_t size) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    if (auto* crc = std::get_if<Crc32cState>(&m_ctx))
        crc->value = io::Crc32c::Extend(crc->value, bytes, size);
    else if (auto* sha = std::get_if<sha1_ctx>(&m_ctx))
        sha1_update(sha, size, bytes);
    else
        md5_update(&std::get<md5_ctx>(m_ctx), size, bytes);
}

bool ChunkChecksum::MatchesCrc32c(uint32_t crc) const {
    const auto bytes = io::Crc32c::Bytes(crc);
    return IsCrc32c() && std::string(bytes.begin(), bytes.end()) == m_expected;
}

bool ChunkChecksum::Matches() const {
    if (const auto* crc = std::get_if<Crc32cState>(&m_ctx))
        return MatchesCrc32c(crc->value);
    auto copy = m_ctx;
    std::string digest(m_expected.size(), '\0');
    auto* out = reinterpret_cast<uint8_t*>(digest.data());
    if (auto* sha = std::get_if<sha1_ctx>(&copy))
        sha1_digest(sha, digest.size(), out);
    else
        md5_digest(&std::get<md5_ctx>(copy), digest.size(), out);
    return digest == m_expected;
}

}  // namespace nimbra::service
