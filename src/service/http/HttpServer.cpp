#include "service/http/HttpServer.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

#include <future>
#include <iostream>
#include <thread>

#include "service/http/HttpConnection.h"

namespace nimbra::service {

namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

constexpr auto kSweepInterval = std::chrono::milliseconds(200);
// Pause after a failed accept (out of descriptors), so that the loop does not spin.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);

}  // namespace

struct HttpServer::Runtime {
    Runtime(const HttpRoutes& routes, const HttpLimits& limits, Clock now)
        : core(routes, limits, std::move(now)), acceptor(io), sweeper(io), acceptRetry(io) {}

    void Accept();
    void ScheduleSweep();
    void Sweep();

    net::io_context io;
    HttpServerCore core;
    tcp::acceptor acceptor;
    net::steady_timer sweeper;
    net::steady_timer acceptRetry;
    // Keeps the network thread running while handlers may still wait on it, even with nothing to accept.
    net::executor_work_guard<net::io_context::executor_type> work{io.get_executor()};
    std::thread thread;
};

void HttpServer::Runtime::Accept() {
    acceptor.async_accept(
        net::make_strand(io), [this](const boost::system::error_code& ec, tcp::socket socket) {
            if (ec == net::error::operation_aborted)
                return;
            if (ec) {
                std::cerr << "nimbra-diskd: cannot accept a connection: " << ec.message() << std::endl;
                acceptRetry.expires_after(kAcceptRetry);
                acceptRetry.async_wait([this](const boost::system::error_code& waited) {
                    if (!waited)
                        Accept();
                });
                return;
            }
            boost::system::error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            const auto remote = socket.remote_endpoint(ignored);
            const std::string peer = remote.address().to_string();
            const bool admitted = core.Admit(peer);
            std::make_shared<HttpConnection>(core, std::move(socket), peer, admitted)->Start();
            Accept();
        });
}

void HttpServer::Runtime::ScheduleSweep() {
    sweeper.expires_after(kSweepInterval);
    sweeper.async_wait([this](const boost::system::error_code& ec) {
        if (ec)
            return;
        Sweep();
        ScheduleSweep();
    });
}

void HttpServer::Runtime::Sweep() {
    const auto now = core.now();
    for (const auto& connection : core.Connections())
        connection->ExpireAt(now);
}

HttpServer::HttpServer(const HttpRoutes& routes, HttpLimits limits, Clock now)
    : m_runtime(std::make_unique<Runtime>(routes, limits, std::move(now))) {}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Listen(const std::string& host, int port, std::string& error) {
    Runtime& runtime = *m_runtime;
    try {
        tcp::resolver resolver(runtime.io);
        const auto endpoint =
            resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service)->endpoint();
        runtime.acceptor.open(endpoint.protocol());
        // Lets a restarted service bind at once; unlike SO_REUSEPORT it never lets two share a port.
        runtime.acceptor.set_option(tcp::acceptor::reuse_address(true));
        runtime.acceptor.bind(endpoint);
        runtime.acceptor.listen(net::socket_base::max_listen_connections);
        m_port = runtime.acceptor.local_endpoint().port();
    } catch (const boost::system::system_error& e) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + e.code().message();
        return false;
    }
    return true;
}

void HttpServer::Serve() {
    Runtime& runtime = *m_runtime;
    runtime.Accept();
    runtime.ScheduleSweep();
    runtime.thread = std::thread([&runtime] { runtime.io.run(); });
}

void HttpServer::SweepNow() {
    net::post(m_runtime->io, [runtime = m_runtime.get()] { runtime->Sweep(); });
}

void HttpServer::Stop() {
    Runtime& runtime = *m_runtime;
    if (!runtime.thread.joinable())
        return;
    std::promise<void> shut;
    net::post(runtime.io, [&runtime, &shut] {
        boost::system::error_code ignored;
        runtime.acceptor.close(ignored);
        runtime.sweeper.cancel();
        runtime.acceptRetry.cancel();
        for (const auto& connection : runtime.core.Connections())
            connection->Shut();
        shut.set_value();
    });
    shut.get_future().wait();
    // Handlers still running wait on the network thread: it keeps going until they are done.
    runtime.core.workers.Stop();
    runtime.work.reset();
    runtime.io.stop();
    runtime.thread.join();
}

}  // namespace nimbra::service
