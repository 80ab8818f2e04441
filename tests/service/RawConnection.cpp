#include "RawConnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>

namespace nimbra::service::test {

namespace {

// Only a safety net for a service that never answers: every test answer comes long before.
constexpr int kPatienceMs = 60'000;

}  // namespace

RawConnection::RawConnection(int port, const std::string& source, int sourcePort)
    : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
    if (!source.empty() || sourcePort != 0) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<uint16_t>(sourcePort));
        inet_pton(AF_INET, source.empty() ? "127.0.0.1" : source.c_str(), &local.sin_addr);
        const int yes = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
            return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

RawConnection::~RawConnection() {
    close(m_fd);
}

int RawConnection::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

bool RawConnection::Send(const std::string& bytes) {
    size_t sent = 0;
    while (m_connected && sent < bytes.size()) {
        const ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return m_connected;
}

RawConnection::Arrival RawConnection::Wait() {
    pollfd ready{m_fd, POLLIN, 0};
    if (poll(&ready, 1, kPatienceMs) <= 0)
        return Arrival::Nothing;
    char buffer[65536];
    const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return Arrival::End;
    m_pending.append(buffer, static_cast<size_t>(n));
    return Arrival::Bytes;
}

bool RawConnection::Fill() {
    return Wait() == Arrival::Bytes;
}

std::optional<RawConnection::Answer> RawConnection::Receive() {
    size_t end;
    while ((end = m_pending.find("\r\n\r\n")) == std::string::npos)
        if (!Fill())
            return std::nullopt;
    Answer answer;
    const size_t lineEnd = m_pending.find("\r\n");
    answer.status = std::stoi(m_pending.substr(9, 3));
    answer.reason = m_pending.substr(13, lineEnd - 13);
    size_t line = lineEnd + 2;
    while (line < end) {
        const size_t next = m_pending.find("\r\n", line);
        const std::string field = m_pending.substr(line, next - line);
        std::string name = field.substr(0, field.find(':'));
        for (auto& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        answer.headers[name] = field.substr(field.find(':') + 2);
        line = next + 2;
    }
    const size_t length =
        answer.headers.count("content-length") ? std::stoul(answer.headers["content-length"]) : 0;
    while (m_pending.size() < end + 4 + length)
        if (!Fill())
            return std::nullopt;
    answer.body = m_pending.substr(end + 4, length);
    m_pending.erase(0, end + 4 + length);
    return answer;
}

bool RawConnection::Quiet() const {
    pollfd ready{m_fd, POLLIN, 0};
    return m_pending.empty() && poll(&ready, 1, 0) == 0;
}

bool RawConnection::ClosedByPeer() {
    return m_pending.empty() && Wait() == Arrival::End;
}

}  // namespace nimbra::service::test
