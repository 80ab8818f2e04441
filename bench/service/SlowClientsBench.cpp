// The latency of a normal small request while slow clients hold connections: 200 clients, each from an
// address of its own, send one header line every 2 s and never finish their heads, while one client
// signs in and asks for its catalog document again and again over a kept-alive connection. The reference is
// the same client, measured in the same run before the slow ones connect. Prints "name: value" lines.
//
//   slow_clients_bench PORT ACCOUNT PASSWORD

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSlowClients = 200;
constexpr auto kTrickle = std::chrono::seconds(2);
// Both windows end well before the service's 10 s deadline for a whole head.
constexpr auto kIdleWindow = std::chrono::seconds(3);
constexpr auto kBusyWindow = std::chrono::seconds(5);

// A TCP connection to 127.0.0.1:port from `source` (an address of 127/8); -1 when it fails.
int Connect(int port, const std::string& source) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads one answer (head and Content-Length body); its body, or nothing when the connection failed.
bool ReadAnswer(int fd, std::string& pending, std::string& body) {
    char buffer[16384];
    auto fill = [&] {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            pending.append(buffer, static_cast<size_t>(n));
        return n > 0;
    };
    size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos)
        if (!fill())
            return false;
    size_t length = 0;
    const size_t field = pending.find("Content-Length: ");
    if (field != std::string::npos && field < end)
        length = std::stoul(pending.substr(field + 16));
    while (pending.size() < end + 4 + length)
        if (!fill())
            return false;
    body = pending.substr(end + 4, length);
    pending.erase(0, end + 4 + length);
    return true;
}

std::string SignIn(int port, const std::string& account, const std::string& password) {
    const int fd = Connect(port, "127.0.0.1");
    const std::string form = "account=" + account + "&password=" + password;
    std::string pending, body;
    const bool ok = fd >= 0 &&
                    SendAll(fd,
                            "POST /lumenoApp/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                            "application/x-www-form-urlencoded\r\nContent-Length: " +
                                std::to_string(form.size()) + "\r\n\r\n" + form) &&
                    ReadAnswer(fd, pending, body);
    close(fd);
    const size_t begin = body.find("<signOn>");
    if (!ok || begin == std::string::npos)
        return {};
    return body.substr(begin + 8, body.find("</signOn>") - begin - 8);
}

// Milliseconds of each catalog request made during the window, one after another on one connection.
std::vector<double> Measure(int port, const std::string& token, Clock::duration window) {
    const int fd = Connect(port, "127.0.0.1");
    const std::string request =
        "GET /lumenoApp/catalog HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token + "\r\n\r\n";
    std::vector<double> latencies;
    std::string pending, body;
    for (const auto end = Clock::now() + window; fd >= 0 && Clock::now() < end;) {
        const auto start = Clock::now();
        if (!SendAll(fd, request) || !ReadAnswer(fd, pending, body))
            break;
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    close(fd);
    return latencies;
}

double P99(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * 99 / 100)];
}

// Whether the service still holds the connection open (it closes a connection by ending the stream).
bool StillOpen(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return fd >= 0 && poll(&ready, 1, 0) == 0;
}

// The slow clients: each starts a head and adds one line to it every interval until stopped.
class SlowClients {
public:
    explicit SlowClients(int port) {
        for (int i = 0; i < kSlowClients; ++i) {
            const int fd = Connect(port, "127.0.3." + std::to_string(i + 1));
            if (fd >= 0)
                SendAll(fd, "GET /lumenoApp/catalog HTTP/1.1\r\nHost: 127.0.0.1\r\n");
            m_fds.push_back(fd);
        }
        m_thread = std::thread([this] { Trickle(); });
    }
    ~SlowClients() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        for (const int fd : m_fds)
            close(fd);
    }
    int Open() const { return static_cast<int>(std::count_if(m_fds.begin(), m_fds.end(), StillOpen)); }

private:
    void Trickle() {
        std::unique_lock lock(m_mutex);
        for (int line = 0; !m_wake.wait_for(lock, kTrickle, [this] { return m_stop; }); ++line)
            for (const int fd : m_fds)
                if (fd >= 0)
                    SendAll(fd, "X-Slow-" + std::to_string(line) + ": 1\r\n");
    }

    std::vector<int> m_fds;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: slow_clients_bench PORT ACCOUNT PASSWORD\n");
        return 2;
    }
    const int port = std::stoi(argv[1]);
    const std::string token = SignIn(port, argv[2], argv[3]);
    if (token.empty()) {
        std::fprintf(stderr, "slow_clients_bench: cannot sign in on port %d\n", port);
        return 1;
    }
    const auto idle = Measure(port, token, kIdleWindow);
    std::vector<double> busy;
    int open = 0;
    {
        SlowClients slow(port);
        busy = Measure(port, token, kBusyWindow);
        open = slow.Open();
    }
    if (idle.empty() || busy.empty()) {
        std::fprintf(stderr, "slow_clients_bench: the service stopped answering\n");
        return 1;
    }
    std::printf("slow_clients_200_p99_ms: %.3f\n", P99(busy));
    std::printf("slow_clients_200_p99_vs_idle: %.3f\n", P99(idle) / P99(busy));
    std::fprintf(stderr,
                 "slow_clients_bench: p99 %.3f ms over %zu requests with %d of %d slow clients connected at "
                 "the end; %.3f ms over %zu requests without them\n",
                 P99(busy), busy.size(), open, kSlowClients, P99(idle), idle.size());
    return 0;
}
