#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace nimbra::service {

// Takes apart a body sent with "Transfer-Encoding: chunked", fed in pieces as they arrive: hands on the
// data and keeps the trailer fields that follow the last chunk.
class ChunkedDecoder final {
public:
    enum class State {
        Going,      // more bytes are needed
        Done,       // the body ended; bytes after it belong to the next request
        Stopped,    // the sink refused data
        Malformed,  // not chunked framing, or a line or trailer section too long
    };
    using Sink = std::function<bool(const char* data, size_t size)>;

    // Consumes bytes of `data` up to the end of the body; `used` tells how many were consumed.
    State Feed(const char* data, size_t size, size_t& used, const Sink& sink);
    // A trailer field by its lower-case name, or empty.
    std::string Trailer(const std::string& lowerName) const;

private:
    enum class Part { SizeLine, Data, DataEnd, TrailerLine };

    bool TakeLine(const char*& data, const char* end, bool& complete);
    bool ParseSize();
    bool ParseTrailer();

    Part m_part = Part::SizeLine;
    State m_state = State::Going;
    uint64_t m_left = 0;  // data bytes left in the current chunk
    std::string m_line;
    size_t m_trailerBytes = 0;
    std::map<std::string, std::string> m_trailers;
};

}  // namespace nimbra::service
