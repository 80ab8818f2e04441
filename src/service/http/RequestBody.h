#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/http/HttpHeaders.h"
#include "service/http/RequestParser.h"

namespace nimbra::service {

// Where the bytes of a connection come from once its head is read.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Waits for bytes: how many arrived, 0 when the connection closed, failed or stayed silent too long.
    virtual size_t Receive(char* buffer, size_t size) = 0;
    // Tells a client that waits with "Expect: 100-continue" to send its body.
    virtual void Continue() = 0;
};

// The body of one request, handed to the handler's sink as it arrives: a body of known length is read
// to its end and no further, a chunked one is taken apart by the parser and its trailer fields kept.
class RequestBody final {
public:
    using Sink = RequestParser::Sink;
    enum class End {
        Complete,  // every byte of the body went to the sink
        Stopped,   // the sink refused data
        TooLarge,  // past what the route accepts
        Broken,    // the connection was lost or went silent, or the framing was wrong
    };

    // `pending` holds bytes read past the head; what follows the body is left there for the next request.
    RequestBody(RequestParser& parser, const HttpHeaders& head, std::string& pending, ByteChannel& channel);

    // Reads the body once; later calls answer how the first one ended.
    End Read(const Sink& sink);
    bool Present() const { return m_parser.HasBody(); }
    bool Chunked() const { return m_parser.chunked(); }
    // Whether the head announced a trailer field ("Trailer" header), by name.
    bool Announces(const std::string& name) const { return m_head.Lists("Trailer", name); }
    // A trailer field that came after a chunked body, by name, or empty.
    std::string Trailer(const std::string& name) const { return m_parser.Trailers().Value(name); }
    // Read to its end (true also when there is none): the connection can carry the next request.
    bool Consumed() const;

private:
    End Finish(End end);
    End Failure(const RequestParser::ErrorCode& ec) const;

    RequestParser& m_parser;
    const HttpHeaders& m_head;
    std::string& m_pending;
    ByteChannel& m_channel;
    std::optional<End> m_result;
};

}  // namespace nimbra::service
