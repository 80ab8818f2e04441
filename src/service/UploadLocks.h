#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

namespace nimbra::service {

// One request at a time per upload: a second PATCH racing the first would write at a stale offset.
class UploadLocks final {
public:
    class Lease final {
    public:
        Lease(UploadLocks* owner, std::string id) : m_owner(owner), m_id(std::move(id)) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        explicit operator bool() const { return m_owner != nullptr; }

    private:
        UploadLocks* m_owner;
        std::string m_id;
    };

    // `patience`: how long a request waits for one that still holds the upload (a client that reconnects at
    // once after losing its connection arrives while the old request is winding down).
    explicit UploadLocks(std::chrono::milliseconds patience) : m_patience(patience) {}

    // Empty lease when the upload stayed held for the whole patience.
    Lease Acquire(const std::string& id) { return Acquire(id, m_patience); }
    Lease Acquire(const std::string& id, std::chrono::milliseconds patience);

private:
    const std::chrono::milliseconds m_patience;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::set<std::string> m_busy;
};

}  // namespace nimbra::service
