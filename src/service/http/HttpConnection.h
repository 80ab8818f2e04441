#pragma once

#include <boost/asio/ip/tcp.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "service/http/HttpLimits.h"
#include "service/http/HttpRequest.h"
#include "service/http/HttpRoutes.h"
#include "service/http/RequestBody.h"
#include "service/http/RequestParser.h"
#include "service/http/WorkerPool.h"

namespace nimbra::service {

class HttpConnection;

// What the connections of one server share: routes, limits, the clock deadlines are measured with, the
// workers, and the table of open connections by peer address.
struct HttpServerCore {
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    HttpServerCore(const HttpRoutes& routes, const HttpLimits& limits, Clock now)
        : routes(routes), limits(limits), now(std::move(now)) {}

    // Counts a new connection of the peer; false when the peer or the server has as many as allowed.
    bool Admit(const std::string& peer);
    void Release(const std::string& peer);
    void Register(const std::shared_ptr<HttpConnection>& connection);
    void Unregister(HttpConnection* connection);
    std::vector<std::shared_ptr<HttpConnection>> Connections();

    const HttpRoutes& routes;
    const HttpLimits limits;
    const Clock now;
    WorkerPool workers;

private:
    std::mutex m_mutex;
    std::unordered_map<HttpConnection*, std::weak_ptr<HttpConnection>> m_live;
    std::unordered_map<std::string, size_t> m_perPeer;
    size_t m_admitted = 0;
};

// One client connection. Its head is read on the network thread without holding a worker; a sound head
// goes to a worker, which owns the connection until the answer is written: its handler reads the body and
// the answer is written from there, both straight on the socket. Every wait on the client has a deadline
// (see HttpLimits) that the server's sweeps enforce by shutting the connection down.
class HttpConnection final : public std::enable_shared_from_this<HttpConnection>, private ByteChannel {
public:
    // Made with a strand of its own as executor: everything on it runs one handler at a time.
    using Socket = boost::asio::ip::tcp::socket;
    using ErrorCode = boost::system::error_code;

    // `admitted` false: the peer has too many connections; the connection is answered 503 and closed.
    HttpConnection(HttpServerCore& core, Socket socket, std::string peer, bool admitted);
    ~HttpConnection() override;

    void Start();
    // From the server's sweep (on the network thread, the only one): ends the connection when its deadline
    // has passed.
    void ExpireAt(std::chrono::steady_clock::time_point now);
    // On the network thread: ends the connection for the server's stop.
    void Shut();

private:
    // On the connection's strand.
    void WaitForRequest();
    void BeginHead();
    void ParseHead();
    void ReadMoreHead();
    void OnHead();
    void Refuse(int status);
    void Linger();
    void DrainSome();
    void Close();

    // On a worker.
    void Serve(std::optional<HttpRoutes::Match> route);
    void RunHandler(HttpExchange& exchange, const std::optional<HttpRoutes::Match>& route);
    bool WriteAnswer(const HttpResponse& response, bool headOnly);
    bool WriteFileBody(const HttpResponse::FileBody& file);
    bool Write(const std::vector<boost::asio::const_buffer>& buffers);
    void Abort();
    size_t Receive(char* buffer, size_t size) override;
    void Continue() override;

    void Arm(std::chrono::steady_clock::duration timeout);
    void Disarm() { m_deadline = 0; }

    HttpServerCore& m_core;
    Socket m_socket;
    const std::string m_peer;
    const bool m_admitted;
    std::atomic<int64_t> m_deadline{0};   // clock ticks; 0 while nothing is awaited from the client
    std::atomic<bool> m_onWorker{false};  // a worker owns the socket
    std::string m_input;                  // bytes received and not yet parsed
    std::array<char, 8192> m_chunk{};
    std::optional<RequestParser> m_parser;
    size_t m_headBytes = 0;
    HttpRequest m_request;
    bool m_aborted = false;
    size_t m_lingerLeft = 0;
};

}  // namespace nimbra::service
