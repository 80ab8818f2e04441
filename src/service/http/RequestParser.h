#pragma once

#include <ostream>

#include <boost/beast/http/basic_parser.hpp>

#include <cstdint>
#include <functional>
#include <string>

#include "service/http/HttpHeaders.h"

namespace nimbra::service {

// One request read by the HTTP library's parser: its head within a count of fields, the fields kept as
// they came, the body handed to a sink piece by piece (taken apart when chunked) and the trailer fields
// that follow a chunked body. Adds the strictness the library leaves to its user: a head whose framing is
// ambiguous (see FramingFault) is refused rather than read one of two ways.
class RequestParser final : public boost::beast::http::basic_parser<true> {
public:
    using Sink = std::function<bool(const char* data, size_t size)>;
    using ErrorCode = boost::beast::error_code;

    RequestParser(size_t maxHeadBytes, size_t maxFields);

    // Feeds bytes and returns how many were used; the unused ones must come again, in front of the next.
    // Stops after the head; the body (once a sink is set) goes on to the end of the message.
    size_t Feed(const char* data, size_t size, ErrorCode& ec);

    // Known once the head is done.
    const std::string& Method() const { return m_method; }
    const std::string& Target() const { return m_target; }
    int Version() const { return m_version; }
    const HttpHeaders& Head() const { return m_head; }
    HttpHeaders TakeHead() { return std::move(m_head); }
    bool HasBody() const { return chunked() || content_length().value_or(0) > 0; }
    // Why the head cannot be trusted to say where the body ends, or empty: Content-Length given twice or
    // as a list, Transfer-Encoding given twice or other than exactly "chunked", obsolete line folding.
    std::string FramingFault() const;

    // Body bytes go to the sink while the body is fed; one that returns false stops the body.
    void SetSink(const Sink* sink) { m_sink = sink; }
    bool Stopped() const { return m_stopped; }
    const HttpHeaders& Trailers() const { return m_trailers; }

private:
    void on_request_impl(boost::beast::http::verb, boost::beast::string_view method,
                         boost::beast::string_view target, int version, ErrorCode& ec) override;
    void on_response_impl(int, boost::beast::string_view, int, ErrorCode& ec) override;
    void on_field_impl(boost::beast::http::field, boost::beast::string_view name,
                       boost::beast::string_view value, ErrorCode& ec) override;
    void on_header_impl(ErrorCode& ec) override;
    void on_body_init_impl(const boost::optional<std::uint64_t>&, ErrorCode& ec) override;
    size_t on_body_impl(boost::beast::string_view body, ErrorCode& ec) override;
    void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, ErrorCode& ec) override;
    size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, ErrorCode& ec) override;
    void on_finish_impl(ErrorCode& ec) override;

    size_t Deliver(boost::beast::string_view body, ErrorCode& ec);
    // Head bytes as the parser takes them: a line that starts with a blank continues the one before.
    void ScanForFolding(const char* data, size_t size);

    size_t m_maxFields;
    std::string m_method;
    std::string m_target;
    int m_version = 0;
    HttpHeaders m_head;
    HttpHeaders m_trailers;
    const Sink* m_sink = nullptr;
    bool m_stopped = false;
    bool m_folded = false;
    char m_lastHeadByte = 0;
};

}  // namespace nimbra::service
