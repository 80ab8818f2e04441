#include "engine/Task.h"

namespace nimbra::engine {

Task::Task(TaskRecord record, std::shared_ptr<std::atomic<int32_t>> synchronising)
    : m_id(record.id),
      m_kind(record.kind),
      m_record(std::move(record)),
      m_synchronising(std::move(synchronising)),
      m_state(m_record.state),
      m_progress(m_record.offset),
      m_size(m_record.size),
      m_errorCode(m_record.errorCode) {}

TaskRecord Task::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

std::string Task::LocalPath() const {
    std::lock_guard lock(m_mutex);
    return m_record.localPath;
}

std::string Task::DisplayName() const {
    std::lock_guard lock(m_mutex);
    return m_record.displayName;
}

std::string Task::SignOn() const {
    std::lock_guard lock(m_mutex);
    return m_signOn;
}

void Task::SetSignOn(const std::string& signOn) {
    std::lock_guard lock(m_mutex);
    m_signOn = signOn;
}

TaskRecord Task::Edit(const std::function<void(TaskRecord&)>& change) {
    std::lock_guard lock(m_mutex);
    change(m_record);
    Publish();
    return m_record;
}

void Task::Publish() {
    const bool was = m_state.load() == OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD;
    const bool is = m_record.state == OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD;
    if (m_synchronising && was != is) {
        *m_synchronising += is ? 1 : -1;
    }
    m_size.store(m_record.size, std::memory_order_relaxed);
    m_progress.store(m_record.offset, std::memory_order_relaxed);
    m_errorCode.store(m_record.errorCode, std::memory_order_relaxed);
    m_state.store(m_record.state);
}

}  // namespace nimbra::engine
