#include "service/UploadLocks.h"

namespace nimbra::service {

UploadLocks::Lease::~Lease() {
    if (!m_owner)
        return;
    {
        std::lock_guard lock(m_owner->m_mutex);
        m_owner->m_busy.erase(m_id);
    }
    m_owner->m_released.notify_all();
}

UploadLocks::Lease UploadLocks::Acquire(const std::string& id, std::chrono::milliseconds patience) {
    std::unique_lock lock(m_mutex);
    if (!m_released.wait_for(lock, patience, [&] { return m_busy.count(id) == 0; }))
        return Lease(nullptr, {});
    m_busy.insert(id);
    return Lease(this, id);
}

}  // namespace nimbra::service
