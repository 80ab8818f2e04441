#pragma once

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

    // An empty lease when another request holds the upload.
    Lease TryAcquire(const std::string& id);

private:
    std::mutex m_mutex;
    std::set<std::string> m_busy;
};

}  // namespace nimbra::service
