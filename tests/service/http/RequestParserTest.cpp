#include <gtest/gtest.h>

#include <boost/beast/http/error.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "service/http/RequestBody.h"
#include "service/http/RequestParser.h"

namespace nimbra::service::test {
namespace {

// The bytes of a connection after its head, delivered `step` at a time as a network would.
class WireChannel final : public ByteChannel {
public:
    WireChannel(std::string wire, size_t step) : m_wire(std::move(wire)), m_step(step) {}
    size_t Receive(char* buffer, size_t size) override {
        const size_t n = std::min({size, m_step, m_wire.size() - m_at});
        std::copy_n(m_wire.data() + m_at, n, buffer);
        m_at += n;
        return n;
    }
    void Continue() override { ++continues; }
    std::string Unread() const { return m_wire.substr(m_at); }
    int continues = 0;

private:
    std::string m_wire;
    size_t m_step;
    size_t m_at = 0;
};

// One request read as the server reads it: its head from the first bytes, then its body from the channel.
class WireRequest {
public:
    WireRequest(const std::string& head, const std::string& rest, size_t step, size_t maxHeadBytes = 32 << 10,
                size_t maxFields = 100)
        : parser(maxHeadBytes, maxFields), channel(rest, step) {
        const size_t used = parser.Feed(head.data(), head.size(), headError);
        pending = head.substr(used);
        if (!headError) {
            framingFault = parser.FramingFault();
            fields = parser.TakeHead();
        }
    }
    RequestBody::End ReadBody(std::string& data) {
        RequestBody body(parser, fields, pending, channel);
        return body.Read([&](const char* bytes, size_t size) {
            data.append(bytes, size);
            return true;
        });
    }

    RequestParser parser;
    RequestParser::ErrorCode headError;
    std::string framingFault;
    HttpHeaders fields;
    std::string pending;
    WireChannel channel;
};

const std::string kChunkedHead = "PATCH /u HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n";

TEST(RequestBodyTest, AnySplitOfTheWireGivesTheSameDataTrailersAndEnd) {
    const std::string body =
        "4;name=value\r\nWiki\r\nA\r\npedia in c\r\n0\r\nUpload-Checksum: crc32c AAAAAA==\r\n"
        "X-Other:  two words \r\n\r\n";
    const std::string next = "HEAD /next HTTP/1.1\r\n";
    for (const size_t step : {size_t(1), size_t(3), size_t(7), body.size() + 10}) {
        // Some of the body may have come with the head, as it does from a real connection.
        for (const size_t withHead : {size_t(0), size_t(5)}) {
            WireRequest request(kChunkedHead + (body + next).substr(0, withHead),
                                (body + next).substr(withHead), step);
            ASSERT_FALSE(request.headError) << request.headError.message();
            std::string data;
            RequestBody reader(request.parser, request.fields, request.pending, request.channel);
            EXPECT_EQ(reader.Read([&](const char* bytes, size_t size) {
                data.append(bytes, size);
                return true;
            }),
                      RequestBody::End::Complete)
                << step;
            EXPECT_EQ(data, "Wikipedia in c") << step;
            EXPECT_TRUE(reader.Consumed());
            EXPECT_EQ(reader.Trailer("upload-checksum"), "crc32c AAAAAA==");
            EXPECT_EQ(reader.Trailer("X-Other"), "two words");
            // The next request's bytes are left alone, for the connection to read.
            EXPECT_EQ(request.pending + request.channel.Unread(), next) << step;
        }
    }
}

TEST(RequestBodyTest, BrokenFramingIsRefusedAndARefusingSinkStops) {
    for (const std::string& wire :
         std::vector<std::string>{"zz\r\n", "4\r\nWikiXX\r\n", "1ffffffffffffffff\r\nx", "4 junk\r\nWiki\r\n",
                                  "0\r\nno colon here\r\n\r\n", std::string(20000, '1')}) {
        WireRequest request(kChunkedHead, wire, 5);
        std::string data;
        EXPECT_EQ(request.ReadBody(data), RequestBody::End::Broken) << wire.substr(0, 20);
    }
    WireRequest request(kChunkedHead, "4\r\nWiki\r\n0\r\n\r\n", 100);
    RequestBody body(request.parser, request.fields, request.pending, request.channel);
    EXPECT_EQ(body.Read([](const char*, size_t) { return false; }), RequestBody::End::Stopped);
    EXPECT_FALSE(body.Consumed());
}

TEST(RequestBodyTest, ABodyOfKnownLengthEndsThereAndAChunkedOneStopsAtTheRouteLimit) {
    WireRequest known("PUT /s HTTP/1.1\r\nContent-Length: 5\r\n\r\nab", "cdeGET / HTTP/1.1\r\n\r\n", 2);
    std::string data;
    EXPECT_EQ(known.ReadBody(data), RequestBody::End::Complete);
    EXPECT_EQ(data, "abcde");
    EXPECT_EQ(known.pending, "");  // a known length is never read past

    WireRequest chunked(kChunkedHead, "8\r\n12345678\r\n8\r\n12345678\r\n0\r\n\r\n", 64);
    chunked.parser.body_limit(10);
    data.clear();
    EXPECT_EQ(chunked.ReadBody(data), RequestBody::End::TooLarge);

    WireRequest cut("PUT /s HTTP/1.1\r\nContent-Length: 10\r\n\r\n", "abc", 2);
    data.clear();
    EXPECT_EQ(cut.ReadBody(data), RequestBody::End::Broken);
    EXPECT_EQ(data, "abc");
}

TEST(RequestBodyTest, AClientThatWaitsForContinueIsToldOnceTheBodyIsWanted) {
    WireRequest request("PUT /s HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 3\r\n\r\n", "xyz", 3);
    EXPECT_EQ(request.channel.continues, 0);
    std::string data;
    EXPECT_EQ(request.ReadBody(data), RequestBody::End::Complete);
    EXPECT_EQ(request.channel.continues, 1);
    EXPECT_EQ(data, "xyz");
}

// Heads whose end of body two parties could read differently: each must be refused, either by the
// library's parser or by the stricter checks over it.
TEST(RequestParserTest, AmbiguousFramingIsRefused) {
    const std::vector<std::string> fields{
        "Content-Length: 5\r\nContent-Length: 5\r\n",
        "Content-Length: 5\r\nContent-Length: 6\r\n",
        "Content-Length: 5, 5\r\n",
        "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n",
        "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n",
        "Transfer-Encoding: notchunked\r\n",
        "Transfer-Encoding: gzip, chunked\r\n",
        "Transfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n",
        "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n",
        "Content-Length: +5\r\n",
        "X-Folded: first\r\n second\r\n",
        "X-Folded: first\r\n\tsecond\r\n",
    };
    for (const std::string& field : fields) {
        const std::string head = "POST /x HTTP/1.1\r\nHost: h\r\n" + field + "\r\n";
        WireRequest request(head, "", 1);
        EXPECT_TRUE(request.headError || !request.framingFault.empty()) << field;
    }
    for (const char* field : {"Content-Length: 5\r\n", "Transfer-Encoding:  Chunked \r\n", ""}) {
        WireRequest request("POST /x HTTP/1.1\r\nHost: h\r\nX-Plain: a b\r\n" + std::string(field) + "\r\n",
                            "", 1);
        EXPECT_FALSE(request.headError) << field;
        EXPECT_EQ(request.framingFault, "") << field;
    }
}

TEST(RequestParserTest, HeadsPastTheirLimitsAreRefused) {
    std::string many = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 11; ++i)
        many += "X-F" + std::to_string(i) + ": v\r\n";
    WireRequest tooManyFields(many + "\r\n", "", 1, 32 << 10, 10);
    EXPECT_EQ(tooManyFields.headError, boost::beast::http::error::header_limit);

    WireRequest tooLarge("GET / HTTP/1.1\r\nX-Big: " + std::string(2000, 'b') + "\r\n\r\n", "", 1, 1024);
    EXPECT_EQ(tooLarge.headError, boost::beast::http::error::header_limit);
    WireRequest longLine("GET /" + std::string(2000, 'p'), "", 1, 1024);
    EXPECT_EQ(longLine.headError, boost::beast::http::error::header_limit);

    WireRequest sound(many + "\r\n", "", 1, 32 << 10, 11);
    EXPECT_FALSE(sound.headError);
    EXPECT_EQ(sound.fields.Size(), 11u);
    EXPECT_EQ(sound.parser.Method(), "GET");
}

}  // namespace
}  // namespace nimbra::service::test
