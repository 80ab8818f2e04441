#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ServiceFixture.h"
#include "io/Crc32c.h"
#include "service/ChunkedDecoder.h"
#include "service/Digest.h"

namespace nimbra::service::test {
namespace {

struct Decoded {
    ChunkedDecoder::State state = ChunkedDecoder::State::Going;
    std::string data;
    size_t used = 0;
};

// Feeds `wire` in pieces of `step` bytes, as a connection would deliver it.
Decoded Decode(ChunkedDecoder& decoder, const std::string& wire, size_t step) {
    Decoded out;
    for (size_t at = 0; at < wire.size() && out.state == ChunkedDecoder::State::Going; at += step) {
        size_t used = 0;
        out.state = decoder.Feed(wire.data() + at, std::min(step, wire.size() - at), used,
                                 [&](const char* data, size_t size) {
                                     out.data.append(data, size);
                                     return true;
                                 });
        out.used = at + used;
    }
    return out;
}

TEST(ChunkedDecoderTest, AnySplitOfTheWireGivesTheSameDataTrailersAndEnd) {
    const std::string body =
        "4;name=value\r\nWiki\r\nA\r\npedia in c\r\n0\r\nUpload-Checksum: crc32c AAAAAA==\r\n"
        "X-Other:  two words \r\n\r\n";
    for (const size_t step : {size_t(1), size_t(3), size_t(7), body.size() + 10}) {
        ChunkedDecoder decoder;
        const Decoded decoded = Decode(decoder, body + "HEAD /next HTTP/1.1\r\n", step);
        EXPECT_EQ(decoded.state, ChunkedDecoder::State::Done) << step;
        EXPECT_EQ(decoded.data, "Wikipedia in c") << step;
        EXPECT_EQ(decoded.used, body.size()) << step;  // the next request's bytes are left alone
        EXPECT_EQ(decoder.Trailer("upload-checksum"), "crc32c AAAAAA==");
        EXPECT_EQ(decoder.Trailer("x-other"), "two words");
    }
}

TEST(ChunkedDecoderTest, BrokenFramingIsRefusedAndARefusingSinkStops) {
    for (const std::string& wire :
         std::vector<std::string>{"zz\r\n", "4\r\nWikiXX\r\n", "1ffffffffffffffff\r\nx", "4 junk\r\nWiki\r\n",
                                  "0\r\nno colon here\r\n\r\n", std::string(2000, '1')}) {
        ChunkedDecoder decoder;
        EXPECT_EQ(Decode(decoder, wire, 5).state, ChunkedDecoder::State::Malformed) << wire.substr(0, 20);
    }
    ChunkedDecoder decoder;
    size_t used = 0;
    const std::string wire = "4\r\nWiki\r\n0\r\n\r\n";
    EXPECT_EQ(decoder.Feed(wire.data(), wire.size(), used, [](const char*, size_t) { return false; }),
              ChunkedDecoder::State::Stopped);
}

std::string Crc32cBase64(const std::string& data) {
    const auto bytes =
        io::Crc32c::Bytes(io::Crc32c::Extend(0, reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    return Base64Encode(std::string(bytes.begin(), bytes.end()));
}

// One HTTP/1.1 connection driven by hand: trailers and kept-alive sequences that the client library
// cannot produce.
class RawConnection {
public:
    struct Answer {
        int status = 0;
        std::map<std::string, std::string> headers;  // lower-case names
    };

    explicit RawConnection(int port) : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { close(m_fd); }

    bool Send(const std::string& bytes) {
        size_t sent = 0;
        while (m_connected && sent < bytes.size()) {
            const ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return m_connected;
    }

    // The next answer's head; its body (by Content-Length) is read and dropped.
    std::optional<Answer> Receive() {
        size_t end;
        while ((end = m_pending.find("\r\n\r\n")) == std::string::npos)
            if (!Fill())
                return std::nullopt;
        Answer answer;
        answer.status = std::stoi(m_pending.substr(9, 3));
        size_t line = m_pending.find("\r\n") + 2;
        while (line < end) {
            const size_t next = m_pending.find("\r\n", line);
            const std::string field = m_pending.substr(line, next - line);
            std::string name = field.substr(0, field.find(':'));
            for (auto& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            answer.headers[name] = field.substr(field.find(':') + 2);
            line = next + 2;
        }
        const size_t length =
            answer.headers.count("content-length") ? std::stoul(answer.headers["content-length"]) : 0;
        while (m_pending.size() < end + 4 + length)
            if (!Fill())
                return std::nullopt;
        m_pending.erase(0, end + 4 + length);
        return answer;
    }

private:
    bool Fill() {
        char buffer[4096];
        const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        m_pending.append(buffer, static_cast<size_t>(n));
        return true;
    }

    int m_fd;
    bool m_connected = false;
    std::string m_pending;
};

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
