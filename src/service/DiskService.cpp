#include "service/DiskService.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <iostream>
#include <thread>

#include "service/CatalogEndpoint.h"
#include "service/DemoSeeder.h"
#include "service/DownloadEndpoint.h"
#include "service/FaultInjector.h"
#include "service/Housekeeping.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/ServiceContext.h"
#include "service/SessionEndpoint.h"
#include "service/SettingsEndpoint.h"
#include "service/TusEndpoint.h"
#include "service/UploadRecovery.h"

namespace nimbra::service {

namespace {

// Every connection holds a worker while it is open: enough for many parallel uploads.
constexpr size_t kWorkerThreads = 128;
// Bodies of the small form and document requests are held in memory: keep them small.
constexpr int64_t kMaxBufferedBody = 1 << 20;

bool IsStreamingPath(const std::string& path) {
    return path.rfind(TusEndpoint::kPath, 0) == 0 || path.rfind("/lumenoApp/settings/", 0) == 0;
}

bool BodyTooLargeToBuffer(const httplib::Request& req) {
    if (IsStreamingPath(req.path))
        return false;
    if (req.has_header("Transfer-Encoding"))
        return true;
    const auto length = ParseSize(req.get_header_value("Content-Length"));
    return length && *length > kMaxBufferedBody;
}

}  // namespace

struct DiskService::Runtime {
    explicit Runtime(ServiceContext& context, bool testHooks)
        : tus(context, testHooks ? &faults : nullptr),
          session(context),
          catalog(context),
          download(context, testHooks ? &faults : nullptr),
          settings(context) {}

    httplib::Server server;
    FaultInjector faults;
    TusEndpoint tus;
    SessionEndpoint session;
    CatalogEndpoint catalog;
    DownloadEndpoint download;
    SettingsEndpoint settings;
    int listening = -1;
    std::thread thread;
    std::unique_ptr<Housekeeping> housekeeping;  // first to go
};

DiskService::DiskService(ServiceOptions options)
    : m_options(std::move(options)), m_layout(m_options.dataDir) {}

DiskService::~DiskService() {
    Stop();
}

void DiskService::Fail(const std::string& message) {
    m_error = message;
    std::cerr << "nimbra-diskd: " << message << std::endl;
}

bool DiskService::OpenStore() {
    if (m_context)
        return true;
    std::string error;
    if (!m_layout.Prepare(error)) {
        Fail(error);
        return false;
    }
    try {
        m_context = std::make_unique<ServiceContext>(m_options, m_layout);
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
    return true;
}

bool DiskService::AddAccount(const std::string& account, const std::string& password, int64_t quotaBytes) {
    if (!IsAcceptableName(account) || !OpenStore())
        return false;
    return m_context->accounts.Add(account, password, quotaBytes);
}

std::string DiskService::BaseUrl() const {
    return "http://" + m_options.host + ":" + std::to_string(m_port);
}

bool DiskService::Start() {
    if (m_runtime)
        return true;
    if (!OpenStore())
        return false;
    try {
        UploadRecovery(m_layout, m_context->uploads).Run();
    } catch (const std::exception& e) {
        Fail(std::string("unfinished uploads: ") + e.what());
        return false;
    }
    try {
        if (m_options.demo)
            DemoSeeder(*m_context).Seed();
    } catch (const std::exception& e) {
        Fail(std::string("demo data: ") + e.what());
        return false;
    }
    m_runtime = std::make_unique<Runtime>(*m_context, m_options.testHooks);
    httplib::Server& server = m_runtime->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server.set_keep_alive_max_count(1000000);
    server.set_tcp_nodelay(true);
    // The library's default (SO_REUSEPORT) would let a second service share a port that is in use.
    server.set_socket_options([runtime = m_runtime.get()](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        runtime->listening = sock;
    });
    FaultInjector* faults = m_options.testHooks ? &m_runtime->faults : nullptr;
    server.set_pre_routing_handler([faults](const httplib::Request& req, httplib::Response& res) {
        if (BodyTooLargeToBuffer(req)) {
            ReplyError(res, 413, kErrorRefused);
            res.set_header("Connection", "close");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (faults && faults->Intercept(req, res))
            return httplib::Server::HandlerResponse::Handled;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                std::cerr << "nimbra-diskd: request failed: " << e.what() << std::endl;
            } catch (...) {
                std::cerr << "nimbra-diskd: request failed" << std::endl;
            }
            ReplyError(res, 500, kErrorServerFailure);
        });
    // Pruned before anything is answered, then every interval.
    Prune();
    m_runtime->housekeeping = std::make_unique<Housekeeping>(
        [this] { Prune(); }, std::chrono::seconds(m_options.housekeepingIntervalSeconds));
    m_runtime->tus.Register(server);
    m_runtime->session.Register(server);
    m_runtime->catalog.Register(server);
    m_runtime->download.Register(server);
    m_runtime->settings.Register(server);
    if (faults)
        faults->Register(server, m_context->accounts);

    const int port = m_options.port == 0
                         ? server.bind_to_any_port(m_options.host)
                         : (server.bind_to_port(m_options.host, m_options.port) ? m_options.port : -1);
    if (port <= 0) {
        Fail("cannot listen on " + m_options.host + ":" + std::to_string(m_options.port));
        m_runtime.reset();
        return false;
    }
    // The library listens with a backlog of 5: a client opening many connections at once would see some of
    // them stall or reset. Listening again only raises the backlog.
    listen(m_runtime->listening, SOMAXCONN);
    m_port = port;
    m_context->baseUrl = BaseUrl();
    m_runtime->thread = std::thread([&server] { server.listen_after_bind(); });
    // stop() is ignored until the accept loop runs; wait for it so that Stop() always ends it.
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void DiskService::Prune() {
    try {
        m_runtime->tus.PruneStale(std::chrono::seconds(m_options.staleAfterSeconds));
        m_context->accounts.PruneTokensExpiredBefore(static_cast<int64_t>(std::time(nullptr)) -
                                                     m_options.staleAfterSeconds);
    } catch (const std::exception& e) {
        std::cerr << "nimbra-diskd: pruning failed: " << e.what() << std::endl;
    }
}

void DiskService::Stop() {
    if (!m_runtime)
        return;
    m_runtime->server.stop();
    if (m_runtime->thread.joinable())
        m_runtime->thread.join();
    m_runtime.reset();
    m_context.reset();
}

}  // namespace nimbra::service
