#include "service/http/RequestBody.h"

#include <boost/beast/http/error.hpp>

#include <algorithm>
#include <cstring>
#include <memory>

namespace nimbra::service {

namespace {

constexpr size_t kLargeBuffer = 1 << 20;
constexpr size_t kSmallBuffer = 64 << 10;
// A chunk-size line or a trailer section longer than this is not a client's.
constexpr size_t kMaxFramingBytes = 16 << 10;

}  // namespace

RequestBody::RequestBody(RequestParser& parser, const HttpHeaders& head, std::string& pending,
                         ByteChannel& channel)
    : m_parser(parser), m_head(head), m_pending(pending), m_channel(channel) {}

bool RequestBody::Consumed() const {
    return !Present() || m_result == End::Complete;
}

RequestBody::End RequestBody::Finish(End end) {
    m_parser.SetSink(nullptr);
    m_result = end;
    return end;
}

RequestBody::End RequestBody::Failure(const RequestParser::ErrorCode& ec) const {
    if (m_parser.Stopped())
        return End::Stopped;
    return ec == boost::beast::http::error::body_limit ? End::TooLarge : End::Broken;
}

RequestBody::End RequestBody::Read(const Sink& sink) {
    if (m_result)
        return *m_result;
    if (!Present() || m_parser.is_done())
        return Finish(End::Complete);
    if (m_pending.empty() && m_head.Lists("Expect", "100-continue"))
        m_channel.Continue();
    m_parser.SetSink(&sink);

    // One buffer: bytes the parser has not used yet (a chunk-size line cut by a read) stay at its front.
    const uint64_t remaining =
        m_parser.chunked() ? kLargeBuffer : m_parser.content_length_remaining().value_or(0);
    const size_t capacity = std::max(
        {static_cast<size_t>(std::min<uint64_t>(remaining, kLargeBuffer)), kSmallBuffer, m_pending.size()});
    const auto buffer = std::make_unique<char[]>(capacity);
    size_t begin = 0;
    size_t end = m_pending.size();
    std::memcpy(buffer.get(), m_pending.data(), m_pending.size());
    m_pending.clear();
    bool needMore = end == 0;
    while (!m_parser.is_done()) {
        if (needMore) {
            const size_t kept = end - begin;
            if (kept >= kMaxFramingBytes)
                return Finish(End::Broken);
            std::memmove(buffer.get(), buffer.get() + begin, kept);
            begin = 0;
            end = kept;
            size_t want = capacity - end;
            if (!m_parser.chunked())
                want = static_cast<size_t>(std::min<uint64_t>(want, *m_parser.content_length_remaining()));
            const size_t got = m_channel.Receive(buffer.get() + end, want);
            if (got == 0)
                return Finish(End::Broken);
            end += got;
        }
        RequestParser::ErrorCode ec;
        begin += m_parser.Feed(buffer.get() + begin, end - begin, ec);
        if (ec && ec != boost::beast::http::error::need_more)
            return Finish(Failure(ec));
        needMore = ec == boost::beast::http::error::need_more || begin == end;
    }
    // Whatever came behind the body belongs to the next request.
    m_pending.assign(buffer.get() + begin, end - begin);
    return Finish(End::Complete);
}

}  // namespace nimbra::service
