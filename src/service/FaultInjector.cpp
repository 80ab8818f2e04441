#include "service/FaultInjector.h"

#include <chrono>
#include <thread>

#include "service/HttpReply.h"
#include "service/NameRules.h"

namespace nimbra::service {

namespace {

constexpr size_t kMaxFormBytes = 16 << 10;

int IntParam(const HttpRequest& req, const char* name, int fallback) {
    if (!req.HasParam(name))
        return fallback;
    try {
        return std::stoi(req.Param(name));
    } catch (const std::exception&) {
        return fallback;
    }
}

}  // namespace

void FaultInjector::Register(HttpRoutes& routes, AccountStore& accounts, ClockMover moveClock) {
    routes.Add("POST", "/__test/fault", [this](HttpExchange& exchange) {
        if (!ReadFormBody(exchange, kMaxFormBytes))
            return;
        Configure(exchange.Request());
        exchange.Response().status = 204;
    });
    routes.Add("POST", "/__test/expire-tokens", [&accounts](HttpExchange& exchange) {
        accounts.ExpireAllTokens();
        exchange.Response().status = 204;
    });
    routes.Add("POST", "/__test/clock", [moveClock = std::move(moveClock)](HttpExchange& exchange) {
        if (!ReadFormBody(exchange, kMaxFormBytes))
            return;
        const auto ms = ParseSize(exchange.Request().Param("advanceMs"));
        if (!ms) {
            exchange.Response().status = 400;
            return;
        }
        moveClock(std::chrono::milliseconds(*ms));
        exchange.Response().status = 204;
    });
}

void FaultInjector::Configure(const HttpRequest& req) {
    std::lock_guard lock(m_mutex);
    if (req.HasParam("clear")) {
        m_dropAfterBytes = -1;
        m_errorCount = 0;
        m_hangCount = 0;
    }
    if (req.HasParam("dropAfterBytes"))
        m_dropAfterBytes = ParseSize(req.Param("dropAfterBytes")).value_or(-1);
    if (req.HasParam("errorStatus")) {
        m_errorPrefix = req.Param("pathPrefix");
        m_errorStatus = IntParam(req, "errorStatus", 500);
        m_errorCode = IntParam(req, "errorCode", 0);
        m_errorCount = IntParam(req, "count", 1);
    }
    if (req.HasParam("hangMs")) {
        m_hangPrefix = req.Param("pathPrefix");
        m_hangMs = IntParam(req, "hangMs", 0);
        m_hangCount = IntParam(req, "count", 1);
    }
}

bool FaultInjector::Intercept(HttpExchange& exchange) {
    const HttpRequest& req = exchange.Request();
    HttpResponse& res = exchange.Response();
    if (req.Path().rfind("/__test/", 0) == 0)
        return false;
    int64_t hangMs = 0;
    int status = 0;
    int code = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_hangCount != 0 && req.Path().rfind(m_hangPrefix, 0) == 0) {
            hangMs = m_hangMs;
            if (m_hangCount > 0)
                --m_hangCount;
        }
        if (m_errorCount != 0 && req.Path().rfind(m_errorPrefix, 0) == 0) {
            status = m_errorStatus;
            code = m_errorCode;
            if (m_errorCount > 0)
                --m_errorCount;
        }
    }
    if (hangMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(hangMs));
    if (status == 0)
        return false;
    if (code != 0)
        ReplyError(res, status, code);
    else
        res.status = status;
    // The body of the refused request is never read: the connection cannot be reused.
    res.CloseConnection();
    return true;
}

int64_t FaultInjector::TakeDropAfter() {
    std::lock_guard lock(m_mutex);
    const int64_t bytes = m_dropAfterBytes;
    m_dropAfterBytes = -1;
    return bytes;
}

}  // namespace nimbra::service
