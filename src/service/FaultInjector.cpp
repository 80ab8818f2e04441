#include "service/FaultInjector.h"

#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "service/ConnectionSocket.h"
#include "service/HttpReply.h"
#include "service/NameRules.h"

namespace nimbra::service {

namespace {

int IntParam(const httplib::Request& req, const char* name, int fallback) {
    if (!req.has_param(name))
        return fallback;
    try {
        return std::stoi(req.get_param_value(name));
    } catch (const std::exception&) {
        return fallback;
    }
}

}  // namespace

void FaultInjector::Register(httplib::Server& server, AccountStore& accounts) {
    server.Post("/__test/fault", [this](const httplib::Request& req, httplib::Response& res) {
        Configure(req);
        res.status = 204;
    });
    server.Post("/__test/expire-tokens", [&accounts](const httplib::Request&, httplib::Response& res) {
        accounts.ExpireAllTokens();
        res.status = 204;
    });
}

void FaultInjector::Configure(const httplib::Request& req) {
    std::lock_guard lock(m_mutex);
    if (req.has_param("clear")) {
        m_dropAfterBytes = -1;
        m_errorCount = 0;
        m_hangCount = 0;
    }
    if (req.has_param("dropAfterBytes"))
        m_dropAfterBytes = ParseSize(req.get_param_value("dropAfterBytes")).value_or(-1);
    if (req.has_param("errorStatus")) {
        m_errorPrefix = req.get_param_value("pathPrefix");
        m_errorStatus = IntParam(req, "errorStatus", 500);
        m_errorCode = IntParam(req, "errorCode", 0);
        m_errorCount = IntParam(req, "count", 1);
    }
    if (req.has_param("hangMs")) {
        m_hangPrefix = req.get_param_value("pathPrefix");
        m_hangMs = IntParam(req, "hangMs", 0);
        m_hangCount = IntParam(req, "count", 1);
    }
}

bool FaultInjector::Intercept(const httplib::Request& req, httplib::Response& res) {
    if (req.path.rfind("/__test/", 0) == 0)
        return false;
    int64_t hangMs = 0;
    int status = 0;
    int code = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_hangCount != 0 && req.path.rfind(m_hangPrefix, 0) == 0) {
            hangMs = m_hangMs;
            if (m_hangCount > 0)
                --m_hangCount;
        }
        if (m_errorCount != 0 && req.path.rfind(m_errorPrefix, 0) == 0) {
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
    res.set_header("Connection", "close");
    return true;
}

int64_t FaultInjector::TakeDropAfter() {
    std::lock_guard lock(m_mutex);
    const int64_t bytes = m_dropAfterBytes;
    m_dropAfterBytes = -1;
    return bytes;
}

void FaultInjector::AbortConnection(const httplib::Request& req) {
    if (const int fd = ConnectionSocket::Of(req); fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

}  // namespace nimbra::service
