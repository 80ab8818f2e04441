#pragma once

#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace nimbra::service {

// Standard base64 (RFC 4648); nullopt for malformed input.
std::optional<std::string> Base64Decode(const std::string& text);
std::string Base64Encode(const std::string& bytes);
std::string HexOf(const std::string& bytes);

// SHA-1 over a whole file, fed in order across requests; its state can be saved with the
// confirmed offset and restored after a restart.
class FileSha1 final {
public:
    FileSha1() { sha1_init(&m_ctx); }
    static std::optional<FileSha1> Restore(const std::string& state);

    void Update(const char* data, size_t size);
    std::string SaveState() const;
    std::string HexDigest() const;  // does not disturb the running state

private:
    sha1_ctx m_ctx;
};

// The digest that an Upload-Checksum header names, computed over one request body.
class ChunkChecksum final {
public:
    // `header` is "ALGO BASE64"; nullopt when the algorithm is not supported or the text is malformed.
    static std::optional<ChunkChecksum> Parse(const std::string& header);
    static const char* SupportedAlgorithms() { return "crc32c,sha1,md5"; }

    void Update(const char* data, size_t size);
    bool Matches() const;
    bool IsCrc32c() const { return std::holds_alternative<Crc32cState>(m_ctx); }
    // Whether this names CRC-32C with the given value, for a digest computed elsewhere.
    bool MatchesCrc32c(uint32_t crc) const;

private:
    struct Crc32cState {
        uint32_t value;
    };
    std::variant<Crc32cState, sha1_ctx, md5_ctx> m_ctx;
    std::string m_expected;
};

}  // namespace nimbra::service
