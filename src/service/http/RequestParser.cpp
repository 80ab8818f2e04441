#include "service/http/RequestParser.h"

#include <boost/beast/http/error.hpp>
#include <boost/system/errc.hpp>

namespace nimbra::service {

namespace {

constexpr size_t kMaxTrailerFields = 32;

}  // namespace

RequestParser::RequestParser(size_t maxHeadBytes, size_t maxFields) : m_maxFields(maxFields) {
    header_limit(static_cast<std::uint32_t>(maxHeadBytes));
    // Each route bounds its own bodies; streamed uploads have none but their length.
    body_limit(boost::none);
}

size_t RequestParser::Feed(const char* data, size_t size, ErrorCode& ec) {
    const bool inHead = !is_header_done();
    eager(!inHead);
    const size_t used = put(boost::asio::const_buffer(data, size), ec);
    if (inHead)
        ScanForFolding(data, used);
    return used;
}

void RequestParser::ScanForFolding(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if ((data[i] == ' ' || data[i] == '\t') && m_lastHeadByte == '\n')
            m_folded = true;
        m_lastHeadByte = data[i];
    }
}

std::string RequestParser::FramingFault() const {
    if (m_folded)
        return "obsolete line folding";
    if (m_head.Count("Content-Length") > 1 || m_head.Value("Content-Length").find(',') != std::string::npos)
        return "Content-Length given more than once";
    const size_t codings = m_head.Count("Transfer-Encoding");
    if (codings > 1)
        return "Transfer-Encoding given more than once";
    if (codings == 1 && !EqualsIgnoringCase(TrimmedBlanks(m_head.Value("Transfer-Encoding")), "chunked"))
        return "transfer coding other than chunked";
    return {};
}

void RequestParser::on_request_impl(boost::beast::http::verb, boost::beast::string_view method,
                                    boost::beast::string_view target, int version, ErrorCode&) {
    m_method.assign(method.data(), method.size());
    m_target.assign(target.data(), target.size());
    m_version = version;
}

void RequestParser::on_response_impl(int, boost::beast::string_view, int, ErrorCode& ec) {
    ec = boost::beast::http::error::bad_method;
}

void RequestParser::on_field_impl(boost::beast::http::field, boost::beast::string_view name,
                                  boost::beast::string_view value, ErrorCode& ec) {
    HttpHeaders& fields = is_header_done() ? m_trailers : m_head;
    if (fields.Size() >= (is_header_done() ? kMaxTrailerFields : m_maxFields)) {
        ec = boost::beast::http::error::header_limit;
        return;
    }
    fields.Add(std::string(name.data(), name.size()), std::string(value.data(), value.size()));
}

void RequestParser::on_header_impl(ErrorCode&) {}

void RequestParser::on_body_init_impl(const boost::optional<std::uint64_t>&, ErrorCode&) {}

size_t RequestParser::Deliver(boost::beast::string_view body, ErrorCode& ec) {
    if (body.empty())
        return 0;
    if (!m_sink || !(*m_sink)(body.data(), body.size())) {
        m_stopped = true;
        ec = boost::system::errc::make_error_code(boost::system::errc::operation_canceled);
        return 0;
    }
    return body.size();
}

size_t RequestParser::on_body_impl(boost::beast::string_view body, ErrorCode& ec) {
    return Deliver(body, ec);
}

void RequestParser::on_chunk_header_impl(std::uint64_t, boost::beast::string_view, ErrorCode&) {}

size_t RequestParser::on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, ErrorCode& ec) {
    return Deliver(body, ec);
}

void RequestParser::on_finish_impl(ErrorCode&) {}

}  // namespace nimbra::service
