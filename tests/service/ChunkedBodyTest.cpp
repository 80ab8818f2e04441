#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "RawConnection.h"
#include "ServiceFixture.h"
#include "io/Crc32c.h"
#include "service/Digest.h"

namespace nimbra::service::test {
namespace {

std::string Crc32cBase64(const std::string& data) {
    const auto bytes =
        io::Crc32c::Bytes(io::Crc32c::Extend(0, reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    return Base64Encode(std::string(bytes.begin(), bytes.end()));
}

class ChunkedBodyTest : public ServiceFixture {
protected:
    std::string Head(const std::string& path, int64_t offset, const std::string& extra) const {
        return "PATCH " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + m_token +
               "\r\nTus-Resumable: 1.0.0\r\nContent-Type: "
               "application/offset+octet-stream\r\nUpload-Offset: " +
               std::to_string(offset) + "\r\n" + extra + "\r\n";
    }
    // A chunked PATCH in pieces of `piece` bytes, closed by `trailers` (each line ending in CRLF).
    std::string ChunkedPatch(const std::string& path, int64_t offset, const std::string& body, size_t piece,
                             const std::string& trailers) const {
        std::string wire = Head(path, offset, "Transfer-Encoding: chunked\r\nTrailer: Upload-Checksum\r\n");
        for (size_t at = 0; at < body.size(); at += piece) {
            const std::string part = body.substr(at, piece);
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", part.size());
            wire += size + part + "\r\n";
        }
        return wire + "0\r\n" + trailers + "\r\n";
    }
    std::string LengthPatch(const std::string& path, int64_t offset, const std::string& body) const {
        return Head(path, offset, "Content-Length: " + std::to_string(body.size()) + "\r\n") + body;
    }
    std::optional<RawConnection::Answer> Exchange(const std::string& request) {
        RawConnection connection(m_service->Port());
        if (!connection.Send(request))
            return std::nullopt;
        return connection.Receive();
    }
    static std::string Pattern(size_t size, char seed) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>(seed + i * 131 % 251);
        return data;
    }
};

TEST_F(ChunkedBodyTest, ATrailerChecksumDecidesWhetherTheBytesCount) {
    const std::string content = Pattern(300000, 'a');
    const std::string location = CreateUpload(static_cast<int64_t>(content.size()), {{"filename", "t.bin"}})
                                     ->get_header_value("Location");
    const std::string path = PathOf(location);
    const std::string half = content.substr(0, 150000);

    // Wrong, missing or unreadable: refused with nothing kept.
    auto wrong =
        Exchange(ChunkedPatch(path, 0, half, 70000, "Upload-Checksum: crc32c " + Crc32cBase64("x") + "\r\n"));
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 460);
    EXPECT_EQ(Exchange(ChunkedPatch(path, 0, half, 70000, ""))->status, 400);
    EXPECT_EQ(Exchange(ChunkedPatch(path, 0, half, 70000, "Upload-Checksum: adler32 AAAA\r\n"))->status, 400);
    EXPECT_EQ(
        Exchange(ChunkedPatch(path, 0, half, 70000, "Upload-Checksum: " + Sha1Base64("x") + "\r\n"))->status,
        460);
    // A trailer counts even when the head did not announce it.
    std::string unannounced =
        ChunkedPatch(path, 0, half, 70000, "Upload-Checksum: crc32c " + Crc32cBase64("y") + "\r\n");
    const std::string announcement = "Trailer: Upload-Checksum\r\n";
    unannounced.erase(unannounced.find(announcement), announcement.size());
    EXPECT_EQ(Exchange(unannounced)->status, 460);
    EXPECT_EQ(ServiceFixture::Head(location)->get_header_value("Upload-Offset"), "0");

    // Right: CRC-32C (computed on the way) and SHA-1 (read back from the file).
    auto first = Exchange(
        ChunkedPatch(path, 0, half, 70000, "Upload-Checksum: crc32c " + Crc32cBase64(half) + "\r\n"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 204);
    EXPECT_EQ(first->headers["upload-offset"], "150000");
    const std::string rest = content.substr(150000);
    auto last =
        Exchange(ChunkedPatch(path, 150000, rest, 1000, "Upload-Checksum: " + Sha1Base64(rest) + "\r\n"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->status, 204);
    EXPECT_EQ(Download(last->headers["x-nimbra-file-id"]), content);
}

TEST_F(ChunkedBodyTest, LargeBodiesLeaveAKeptAliveConnectionExactlyAtTheNextRequest) {
    const std::string content = Pattern(500000, 'k');
    const std::string path =
        PathOf(CreateUpload(static_cast<int64_t>(content.size()), {{"filename", "k.bin"}})
                   ->get_header_value("Location"));
    RawConnection connection(m_service->Port());
    // Two bodies of known length, then a chunked one, on one connection.
    ASSERT_TRUE(connection.Send(LengthPatch(path, 0, content.substr(0, 200000))));
    EXPECT_EQ(connection.Receive()->headers["upload-offset"], "200000");
    ASSERT_TRUE(connection.Send(LengthPatch(path, 200000, content.substr(200000, 200000))));
    EXPECT_EQ(connection.Receive()->headers["upload-offset"], "400000");
    const std::string tail = content.substr(400000);
    // A request sent right behind the chunked body: the service cannot hand it back to the library, so
    // it answers the body and asks the client to close rather than misread what follows.
    ASSERT_TRUE(connection.Send(
        ChunkedPatch(path, 400000, tail, 30000, "Upload-Checksum: crc32c " + Crc32cBase64(tail) + "\r\n") +
        "HEAD " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    auto answer = connection.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 204);
    EXPECT_EQ(answer->headers["connection"], "close");
    EXPECT_EQ(Download(answer->headers["x-nimbra-file-id"]), content);
}

}  // namespace
}  // namespace nimbra::service::test
