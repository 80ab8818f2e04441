#include "service/http/HttpConnection.h"

#include <unistd.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/write.hpp>

#include <iostream>
#include <sstream>

#include "service/http/HttpExchange.h"

namespace nimbra::service {

namespace net = boost::asio;
namespace beast_http = boost::beast::http;

namespace {

// How long and how much a refused request's remaining bytes are read and dropped after its answer, so
// that the client reads the answer before the connection goes (closing on unread bytes resets it).
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr size_t kLingerBytes = 256 << 10;
constexpr size_t kFilePiece = 1 << 20;

bool HasNoBody(int status) {
    return status / 100 == 1 || status == 204 || status == 304;
}

std::string SerializeHead(const HttpResponse& response, bool headOnly) {
    beast_http::response_header<> head;
    head.version(11);
    head.result(static_cast<unsigned>(response.status));
    head.reason(ReasonPhrase(response.status));
    for (const auto& [name, value] : response.Headers().Fields())
        head.insert(name, value);
    if (!HasNoBody(response.status) && (!headOnly || response.ContentLength() > 0))
        head.set(beast_http::field::content_length, std::to_string(response.ContentLength()));
    std::ostringstream out;
    out << head;
    return out.str();
}

}  // namespace

bool HttpServerCore::Admit(const std::string& peer) {
    std::lock_guard lock(m_mutex);
    size_t& count = m_perPeer[peer];
    if (count >= limits.maxConnectionsPerPeer || m_admitted >= limits.maxConnections) {
        if (count == 0)
            m_perPeer.erase(peer);
        return false;
    }
    ++count;
    ++m_admitted;
    return true;
}

void HttpServerCore::Release(const std::string& peer) {
    std::lock_guard lock(m_mutex);
    const auto it = m_perPeer.find(peer);
    if (it != m_perPeer.end() && --it->second == 0)
        m_perPeer.erase(it);
    --m_admitted;
}

void HttpServerCore::Register(const std::shared_ptr<HttpConnection>& connection) {
    std::lock_guard lock(m_mutex);
    m_live.emplace(connection.get(), connection);
}

void HttpServerCore::Unregister(HttpConnection* connection) {
    std::lock_guard lock(m_mutex);
    m_live.erase(connection);
}

std::vector<std::shared_ptr<HttpConnection>> HttpServerCore::Connections() {
    std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<HttpConnection>> connections;
    for (const auto& [pointer, weak] : m_live)
        if (auto connection = weak.lock())
            connections.push_back(std::move(connection));
    return connections;
}

HttpConnection::HttpConnection(HttpServerCore& core, Socket socket, std::string peer, bool admitted)
    : m_core(core), m_socket(std::move(socket)), m_peer(std::move(peer)), m_admitted(admitted) {}

HttpConnection::~HttpConnection() {
    m_core.Unregister(this);
    if (m_admitted)
        m_core.Release(m_peer);
}

void HttpConnection::Start() {
    m_core.Register(shared_from_this());
    net::post(m_socket.get_executor(), [self = shared_from_this()] {
        if (self->m_admitted)
            self->WaitForRequest();
        else
            self->Refuse(503);
    });
}

void HttpConnection::Arm(std::chrono::steady_clock::duration timeout) {
    m_deadline = (m_core.now() + timeout).time_since_epoch().count();
}

void HttpConnection::ExpireAt(std::chrono::steady_clock::time_point now) {
    const int64_t deadline = m_deadline;
    if (deadline == 0 || now.time_since_epoch().count() < deadline)
        return;
    if (m_onWorker) {
        // The worker waits on the socket itself: ending the stream both ways wakes it with a failure.
        ErrorCode ignored;
        m_socket.shutdown(Socket::shutdown_both, ignored);
        return;
    }
    net::post(m_socket.get_executor(), [self = shared_from_this(), now] {
        const int64_t current = self->m_deadline;
        if (current != 0 && now.time_since_epoch().count() >= current)
            self->Close();
    });
}

void HttpConnection::Shut() {
    if (m_onWorker) {
        // A descriptor closed under a thread waiting on it would not wake it; the worker closes it.
        ErrorCode ignored;
        m_socket.shutdown(Socket::shutdown_both, ignored);
        return;
    }
    net::post(m_socket.get_executor(), [self = shared_from_this()] { self->Close(); });
}

void HttpConnection::Close() {
    Disarm();
    ErrorCode ignored;
    m_socket.shutdown(Socket::shutdown_both, ignored);
    m_socket.close(ignored);
}

void HttpConnection::WaitForRequest() {
    if (!m_input.empty())
        return BeginHead();
    Arm(m_core.limits.idleTimeout);
    m_socket.async_wait(Socket::wait_read, [self = shared_from_this()](const ErrorCode& ec) {
        if (ec)
            return self->Close();
        self->BeginHead();
    });
}

void HttpConnection::BeginHead() {
    m_parser.emplace(m_core.limits.maxHeadBytes, m_core.limits.maxHeaderFields);
    m_headBytes = 0;
    Arm(m_core.limits.headDeadline);
    ParseHead();
}

void HttpConnection::ParseHead() {
    if (!m_input.empty()) {
        ErrorCode ec;
        const size_t used = m_parser->Feed(m_input.data(), m_input.size(), ec);
        m_headBytes += used;
        m_input.erase(0, used);
        if (!ec)
            return OnHead();
        const bool lineDone = !m_parser->Method().empty();
        if (ec == beast_http::error::header_limit)
            return Refuse(lineDone ? 431 : 414);
        if (ec != beast_http::error::need_more)
            return Refuse(400);
        if (m_headBytes + m_input.size() > m_core.limits.maxHeadBytes)
            return Refuse(lineDone ? 431 : 414);
    }
    ReadMoreHead();
}

void HttpConnection::ReadMoreHead() {
    m_socket.async_read_some(net::buffer(m_chunk),
                             [self = shared_from_this()](const ErrorCode& ec, size_t got) {
                                 if (ec)
                                     return self->Close();
                                 self->m_input.append(self->m_chunk.data(), got);
                                 self->ParseHead();
                             });
}

void HttpConnection::OnHead() {
    Disarm();
    if (const std::string fault = m_parser->FramingFault(); !fault.empty())
        return Refuse(400);
    m_request = HttpRequest(m_parser->Method(), m_parser->Target(), m_parser->TakeHead(), m_peer);
    auto route = m_core.routes.Find(m_request.Method(), m_request.Path());
    const uint64_t limit = route ? route->bodyLimit : m_core.routes.DefaultBodyLimit();
    if (m_parser->content_length().value_or(0) > limit)
        return Refuse(413);
    if (m_parser->chunked() && limit != HttpRoutes::kUnbounded)
        m_parser->body_limit(limit);
    m_onWorker = true;
    const bool started = m_core.workers.Run(
        [self = shared_from_this(), route = std::move(route)]() mutable { self->Serve(std::move(route)); });
    if (!started) {
        m_onWorker = false;
        Close();  // the server is stopping
    }
}

void HttpConnection::Refuse(int status) {
    auto response = std::make_shared<HttpResponse>();
    response->status = status;
    if (m_core.routes.describeRefusal)
        m_core.routes.describeRefusal(*response, status);
    response->CloseConnection();
    auto head = std::make_shared<std::string>(SerializeHead(*response, false));
    Arm(m_core.limits.idleTimeout);
    const std::array<net::const_buffer, 2> buffers{net::buffer(*head), net::buffer(response->Body())};
    net::async_write(m_socket, buffers,
                     [self = shared_from_this(), head, response](const ErrorCode& ec, size_t) {
                         if (ec)
                             return self->Close();
                         self->Linger();
                     });
}

void HttpConnection::Linger() {
    ErrorCode ignored;
    m_socket.shutdown(Socket::shutdown_send, ignored);
    m_lingerLeft = kLingerBytes;
    Arm(kLingerTime);
    DrainSome();
}

void HttpConnection::DrainSome() {
    m_socket.async_read_some(net::buffer(m_chunk),
                             [self = shared_from_this()](const ErrorCode& ec, size_t got) {
                                 if (ec || got >= self->m_lingerLeft)
                                     return self->Close();
                                 self->m_lingerLeft -= got;
                                 self->DrainSome();
                             });
}

size_t HttpConnection::Receive(char* buffer, size_t size) {
    if (m_deadline == 0)
        Arm(m_core.limits.idleTimeout);
    ErrorCode ec;
    const size_t got = m_socket.read_some(net::buffer(buffer, size), ec);
    Disarm();
    return ec ? 0 : got;
}

bool HttpConnection::Write(const std::vector<net::const_buffer>& buffers) {
    Arm(m_core.limits.idleTimeout);
    ErrorCode ec;
    net::write(m_socket, buffers, ec);
    Disarm();
    return !ec;
}

void HttpConnection::Continue() {
    static const std::string kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
    // The wait for the body starts before the client can know it was asked for.
    Arm(m_core.limits.idleTimeout);
    ErrorCode ignored;
    net::write(m_socket, net::buffer(kContinue), ignored);
}

void HttpConnection::Abort() {
    m_aborted = true;
    ErrorCode ignored;
    m_socket.shutdown(Socket::shutdown_both, ignored);
}

void HttpConnection::Serve(std::optional<HttpRoutes::Match> route) {
    auto response = std::make_unique<HttpResponse>();
    RequestBody body(*m_parser, m_request.Headers(), m_input, *this);
    {
        HttpExchange exchange(m_request, *response, body, [this] { Abort(); });
        try {
            RunHandler(exchange, route);
        } catch (const std::exception& e) {
            std::cerr << "nimbra-diskd: request failed: " << e.what() << std::endl;
            response = std::make_unique<HttpResponse>();
            response->status = 500;
            if (m_core.routes.describeRefusal)
                m_core.routes.describeRefusal(*response, 500);
        }
    }
    if (m_aborted) {
        m_onWorker = false;
        net::post(m_socket.get_executor(), [self = shared_from_this()] { self->Close(); });
        return;
    }
    // A body left unread, or bytes that came right behind a chunked one, would be read as a request.
    const bool keepAlive = body.Consumed() && m_parser->keep_alive() && !response->ClosesConnection() &&
                           !(body.Chunked() && !m_input.empty());
    if (!keepAlive)
        response->CloseConnection();
    const bool sent = WriteAnswer(*response, m_request.Method() == "HEAD");
    response.reset();
    m_onWorker = false;
    net::post(m_socket.get_executor(),
              [self = shared_from_this(), sent, keepAlive, unread = !body.Consumed()] {
                  if (!sent)
                      return self->Close();
                  if (!keepAlive)
                      return unread ? self->Linger() : self->Close();
                  self->WaitForRequest();
              });
}

void HttpConnection::RunHandler(HttpExchange& exchange, const std::optional<HttpRoutes::Match>& route) {
    if (m_core.routes.intercept && m_core.routes.intercept(exchange))
        return;
    if (!route) {
        exchange.Response().status = 404;
        return;
    }
    m_request.SetMatches(route->captures);
    (*route->handler)(exchange);
}

bool HttpConnection::WriteAnswer(const HttpResponse& response, bool headOnly) {
    const std::string head = SerializeHead(response, headOnly);
    const bool withBody = !headOnly && !HasNoBody(response.status);
    if (!Write({net::buffer(head), net::buffer(withBody ? response.Body() : std::string())}))
        return false;
    if (withBody && response.File())
        return WriteFileBody(*response.File());
    return true;
}

bool HttpConnection::WriteFileBody(const HttpResponse::FileBody& file) {
    const int64_t end = file.dropAfter >= 0 ? std::min(file.length, file.dropAfter) : file.length;
    const auto buffer = std::make_unique<char[]>(static_cast<size_t>(std::min<int64_t>(end, kFilePiece)));
    int64_t sent = 0;
    while (sent < end) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(end - sent, kFilePiece));
        ssize_t got = -1;
        do {
            got = pread(file.fd, buffer.get(), want, static_cast<off_t>(file.offset + sent));
        } while (got < 0 && errno == EINTR);
        // A file that shrank under us must end the answer rather than send fewer bytes than announced.
        if (got <= 0 || !Write({net::buffer(buffer.get(), static_cast<size_t>(got))}))
            return false;
        sent += got;
    }
    return sent == file.length;
}

}  // namespace nimbra::service
