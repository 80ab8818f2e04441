#include "service/DiskService.h"

#include <chrono>
#include <ctime>
#include <iostream>

#include "service/CatalogEndpoint.h"
#include "service/DemoSeeder.h"
#include "service/DownloadEndpoint.h"
#include "service/FaultInjector.h"
#include "service/Housekeeping.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"
#include "service/ServiceClock.h"
#include "service/ServiceContext.h"
#include "service/SessionEndpoint.h"
#include "service/SettingsEndpoint.h"
#include "service/TusEndpoint.h"
#include "service/UploadRecovery.h"
#include "service/http/HttpServer.h"

namespace nimbra::service {

namespace {

// The answer to a request refused before any handler, or whose handler failed.
void DescribeRefusal(HttpResponse& res, int status) {
    ReplyError(res, status, status >= 500 ? kErrorServerFailure : kErrorRefused);
}

}  // namespace

struct DiskService::Runtime {
    Runtime(ServiceContext& context, const ServiceOptions& options)
        : routes(options.http.defaultBodyLimit),
          tus(context, options.testHooks ? &faults : nullptr),
          session(context, clock),
          catalog(context),
          download(context, options.testHooks ? &faults : nullptr),
          settings(context),
          server(routes, options.http, [this] { return clock.Now(); }) {
        routes.describeRefusal = DescribeRefusal;
        tus.Register(routes);
        session.Register(routes);
        catalog.Register(routes);
        download.Register(routes);
        settings.Register(routes);
        if (options.testHooks) {
            faults.Register(routes, context.accounts, [this](std::chrono::milliseconds by) {
                clock.Advance(by);
                server.SweepNow();
            });
            routes.intercept = [this](HttpExchange& exchange) { return faults.Intercept(exchange); };
        }
    }

    ServiceClock clock;
    HttpRoutes routes;
    FaultInjector faults;
    TusEndpoint tus;
    SessionEndpoint session;
    CatalogEndpoint catalog;
    DownloadEndpoint download;
    SettingsEndpoint settings;
    HttpServer server;
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
        CountOlderThumbnails();
    } catch (const std::exception& e) {
        Fail(std::string("stored data: ") + e.what());
        return false;
    }
    try {
        if (m_options.demo)
            DemoSeeder(*m_context).Seed();
    } catch (const std::exception& e) {
        Fail(std::string("demo data: ") + e.what());
        return false;
    }
    m_runtime = std::make_unique<Runtime>(*m_context, m_options);
    // Pruned before anything is answered, then every interval.
    Prune();
    m_runtime->housekeeping = std::make_unique<Housekeeping>(
        [this] { Prune(); }, std::chrono::seconds(m_options.housekeepingIntervalSeconds));
    std::string error;
    if (!m_runtime->server.Listen(m_options.host, m_options.port, error)) {
        Fail(error);
        m_runtime.reset();
        return false;
    }
    m_port = m_runtime->server.Port();
    m_context->baseUrl = BaseUrl();
    m_runtime->server.Serve();
    return true;
}

void DiskService::CountOlderThumbnails() {
    for (const int64_t fileId : m_context->catalogs.FilesWithUncountedThumbnails()) {
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(m_layout.FileThumbnail(fileId), ec);
        if (!ec && bytes > 0)
            m_context->catalogs.SetFileThumbnail(fileId, static_cast<int64_t>(bytes));
    }
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
    m_runtime->server.Stop();
    m_runtime->housekeeping.reset();
    m_runtime.reset();
    m_context.reset();
}

}  // namespace nimbra::service
