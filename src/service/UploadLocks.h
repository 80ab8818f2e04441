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

    // Waits a little for a request that still holds the upload (a client that reconnects at once after
    // losing its connection arrives while the old request is winding down); empty lease on timeout.
    Lease Acquire(const std::string& id, std::chrono::milliseconds patience = std::chrono::seconds(3));

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::set<std::string> m_busy;
};

}  // namespace nimbra::service
