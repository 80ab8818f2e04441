#pragma once

#include <map>
#include <optional>
#include <string>

namespace nimbra::service::test {

// One HTTP/1.1 connection driven by hand: trailers, kept-alive sequences and malformed requests that a
// client library cannot produce.
class RawConnection {
public:
    struct Answer {
        int status = 0;
        std::string reason;
        std::map<std::string, std::string> headers;  // lower-case names
        std::string body;
        std::string Header(const std::string& lowerName) const {
            const auto it = headers.find(lowerName);
            return it == headers.end() ? std::string() : it->second;
        }
    };

    // From `source` (any address of 127/8, port 0: any) to 127.0.0.1:port.
    explicit RawConnection(int port, const std::string& source = {}, int sourcePort = 0);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Connected() const { return m_connected; }
    int LocalPort() const;
    // False once the service stopped taking bytes (closed or reset).
    bool Send(const std::string& bytes);
    // The next answer's head, and its body by Content-Length; nothing when the connection ended first.
    std::optional<Answer> Receive();
    // Whether the service closed the connection: nothing but the end of the stream (or a reset) comes.
    bool ClosedByPeer();
    // Whether nothing came so far: neither bytes nor the end of the stream.
    bool Quiet() const;
    // Bytes received and not yet read as an answer.
    const std::string& Pending() const { return m_pending; }

private:
    enum class Arrival { Bytes, End, Nothing };
    Arrival Wait();
    bool Fill();

    int m_fd;
    bool m_connected = false;
    std::string m_pending;
};

}  // namespace nimbra::service::test
