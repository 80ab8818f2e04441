#include "engine/TaskList.h"

namespace nimbra::engine {

TaskList::TaskList(std::vector<std::shared_ptr<Task>> tasks) : m_tasks(std::move(tasks)) {
    m_index.reserve(m_tasks.size());
    for (size_t i = 0; i < m_tasks.size(); ++i) {
        m_index.emplace(m_tasks[i]->Id(), i);
    }
}

std::shared_ptr<Task> TaskList::At(size_t index) const {
    return index < m_tasks.size() ? m_tasks[index] : nullptr;
}

std::shared_ptr<Task> TaskList::Find(int32_t id) const {
    const auto it = m_index.find(id);
    return it == m_index.end() ? nullptr : m_tasks[it->second];
}

}  // namespace nimbra::engine
