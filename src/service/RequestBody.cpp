#include "service/RequestBody.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "service/ConnectionSocket.h"
#include "service/NameRules.h"

namespace nimbra::service {

namespace {

// Bodies up to this size go through the library: finding the socket would cost more than it saves.
constexpr uint64_t kLibraryLimit = 64 << 10;
constexpr size_t kPieceBytes = 1 << 20;
// As long as the library waits for a request's bytes.
constexpr int kReadTimeoutMs = 5000;

// What the connection has, up to `size` bytes, waiting for the first; 0 when it closed, -1 on a failure
// or timeout.
ssize_t ReceiveSome(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t got = recv(fd, buffer, size, MSG_DONTWAIT);
        if (got >= 0)
            return got;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, kReadTimeoutMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return -1;
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

RequestBody::RequestBody(const httplib::Request& req, const httplib::ContentReader& reader)
    : m_req(req), m_reader(reader) {
    m_chunked = Lower(req.get_header_value("Transfer-Encoding")).find("chunked") != std::string::npos;
    if (!m_chunked)
        m_length = static_cast<uint64_t>(ParseSize(req.get_header_value("Content-Length")).value_or(0));
}

bool RequestBody::Announces(const std::string& lowerName) const {
    std::string announced = Lower(m_req.get_header_value("Trailer"));
    announced.erase(
        std::remove_if(announced.begin(), announced.end(), [](char c) { return c == ' ' || c == '\t'; }),
        announced.end());
    return ("," + announced + ",").find("," + lowerName + ",") != std::string::npos;
}

RequestBody::End RequestBody::Read(const Sink& sink) {
    if (!m_chunked && m_length <= kLibraryLimit)
        return ReadThroughLibrary(sink);
    return ReadFromSocket(sink);
}

RequestBody::End RequestBody::ReadThroughLibrary(const Sink& sink) {
    bool refused = false;
    const bool complete = m_reader([&](const char* data, size_t size) {
        refused = !sink(data, size);
        return !refused;
    });
    m_reusable = complete;
    return complete ? End::Complete : refused ? End::Stopped : End::Broken;
}

std::string RequestBody::TakeBuffered() {
    // Reading the request's head may have taken the body's first bytes into the library's buffer: one
    // read through the library hands them over. A chunked body is read there as if it had a length, so
    // that its framing comes as it is.
    if (m_chunked) {
        auto& headers = const_cast<httplib::Request&>(m_req).headers;
        headers.erase("Transfer-Encoding");
        headers.erase("Content-Length");
        headers.emplace("Content-Length", std::to_string(CPPHTTPLIB_RECV_BUFSIZ));
    }
    std::string first;
    m_reader([&](const char* data, size_t size) {
        first.assign(data, size);
        return false;
    });
    return first;
}

RequestBody::End RequestBody::ReadFromSocket(const Sink& sink) {
    const int fd = ConnectionSocket::Of(m_req);
    if (fd < 0)
        return m_chunked ? End::Broken : ReadThroughLibrary(sink);
    const std::string first = TakeBuffered();
    if (first.empty())
        return End::Broken;  // closed before the body
    Progress progress = Feed(first.data(), first.size(), sink);
    const auto buffer = std::make_unique<char[]>(kPieceBytes);
    while (progress == Progress::More) {
        // A body of known length is never read past its end.
        const size_t want = m_chunked
                                ? kPieceBytes
                                : static_cast<size_t>(std::min<uint64_t>(kPieceBytes, m_length - m_received));
        const ssize_t got = ReceiveSome(fd, buffer.get(), want);
        if (got <= 0)
            return End::Broken;
        progress = Feed(buffer.get(), static_cast<size_t>(got), sink);
    }
    switch (progress) {
        case Progress::Done:
            return End::Complete;
        case Progress::Stopped:
            return End::Stopped;
        default:
            return End::Broken;
    }
}

RequestBody::Progress RequestBody::Feed(const char* data, size_t size, const Sink& sink) {
    if (!m_chunked) {
        m_received += size;
        if (!sink(data, size))
            return Progress::Stopped;
        m_reusable = m_received == m_length;
        return m_reusable ? Progress::Done : Progress::More;
    }
    size_t used = 0;
    switch (m_decoder.Feed(data, size, used, sink)) {
        case ChunkedDecoder::State::Going:
            return Progress::More;
        case ChunkedDecoder::State::Done:
            // Bytes after the body are the start of another request, which only the library could read.
            m_reusable = used == size;
            return Progress::Done;
        case ChunkedDecoder::State::Stopped:
            return Progress::Stopped;
        case ChunkedDecoder::State::Malformed:
            break;
    }
    return Progress::Broken;
}

}  // namespace nimbra::service
