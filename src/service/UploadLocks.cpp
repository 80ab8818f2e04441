#include "service/UploadLocks.h"

namespace nimbra::service {

UploadLocks::Lease::~Lease() {
    if (!m_owner)
        return;
    std::lock_guard lock(m_owner->m_mutex);
    m_owner->m_busy.erase(m_id);
}

UploadLocks::Lease UploadLocks::TryAcquire(const std::string& id) {
    std::lock_guard lock(m_mutex);
    if (!m_busy.insert(id).second)
        return Lease(nullptr, {});
    return Lease(this, id);
}

}  // namespace nimbra::service
