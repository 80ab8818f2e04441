#pragma once

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/ChunkedDecoder.h"

namespace nimbra::service {

// Reads the body of a request whose handler takes it as a stream. Large and chunked bodies are read
// straight from the connection in large pieces: the HTTP library reads 4 KiB per call, each after a poll,
// and refuses trailer fields (which a tus client may use for its checksum).
class RequestBody final {
public:
    using Sink = std::function<bool(const char* data, size_t size)>;
    enum class End {
        Complete,  // every byte of the body went to the sink
        Stopped,   // the sink refused data
        Broken,    // the connection was lost, timed out, or the framing was wrong
    };

    RequestBody(const httplib::Request& req, const httplib::ContentReader& reader);

    End Read(const Sink& sink);
    bool Chunked() const { return m_chunked; }
    // Whether the request announced a trailer field ("Trailer" header), by lower-case name.
    bool Announces(const std::string& lowerName) const;
    // A trailer field that came after a chunked body, by lower-case name, or empty.
    std::string Trailer(const std::string& lowerName) const { return m_decoder.Trailer(lowerName); }
    // False when bytes of the body were left unread or bytes after it were taken: the connection cannot
    // carry another request.
    bool ConnectionReusable() const { return m_reusable; }

private:
    enum class Progress { More, Done, Stopped, Broken };

    End ReadThroughLibrary(const Sink& sink);
    End ReadFromSocket(const Sink& sink);
    std::string TakeBuffered();
    Progress Feed(const char* data, size_t size, const Sink& sink);

    const httplib::Request& m_req;
    const httplib::ContentReader& m_reader;
    bool m_chunked = false;
    uint64_t m_length = 0;  // announced length when not chunked
    uint64_t m_received = 0;
    ChunkedDecoder m_decoder;
    bool m_reusable = false;
};

}  // namespace nimbra::service
