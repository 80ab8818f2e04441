#include "service/ConnectionSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>
#include <string>

namespace nimbra::service {

namespace {

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

bool Serves(int fd, const httplib::Request& req) {
    sockaddr_storage local{}, peer{};
    socklen_t localLength = sizeof(local), peerLength = sizeof(peer);
    return getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
           getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
           PortOf(local) == req.local_port && PortOf(peer) == req.remote_port;
}

}  // namespace

int ConnectionSocket::Of(const httplib::Request& req) {
    thread_local int remembered = -1;
    if (remembered >= 0 && Serves(remembered, req))
        return remembered;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
         it.increment(ec)) {
        int fd = -1;
        try {
            fd = std::stoi(it->path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        if (Serves(fd, req)) {
            remembered = fd;
            return fd;
        }
    }
    return -1;
}

}  // namespace nimbra::service
