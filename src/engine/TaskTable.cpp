#include "engine/TaskTable.h"

namespace nimbra::engine {

void TaskTable::Add(std::shared_ptr<Task> task) {
    std::lock_guard lock(m_mutex);
    m_lists[static_cast<int>(task->Kind())].reset();
    const int32_t id = task->Id();
    m_tasks[id] = std::move(task);
}

void TaskTable::Remove(int32_t id) {
    std::lock_guard lock(m_mutex);
    const auto it = m_tasks.find(id);
    if (it != m_tasks.end()) {
        m_lists[static_cast<int>(it->second->Kind())].reset();
        m_tasks.erase(it);
    }
}

void TaskTable::Clear() {
    std::lock_guard lock(m_mutex);
    m_tasks.clear();
    m_lists[0].reset();
    m_lists[1].reset();
}

std::shared_ptr<Task> TaskTable::Find(int32_t id) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_tasks.find(id);
    return it == m_tasks.end() ? nullptr : it->second;
}

std::shared_ptr<const TaskList> TaskTable::List(TaskKind kind) {
    std::lock_guard lock(m_mutex);
    auto& list = m_lists[static_cast<int>(kind)];
    if (!list) {
        std::vector<std::shared_ptr<Task>> tasks;
        for (const auto& [id, task] : m_tasks) {
            if (task->Kind() == kind) {
                tasks.push_back(task);
            }
        }
        list = std::make_shared<const TaskList>(std::move(tasks));
    }
    return list;
}

std::vector<std::shared_ptr<Task>> TaskTable::All() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::shared_ptr<Task>> tasks;
    tasks.reserve(m_tasks.size());
    for (const auto& [id, task] : m_tasks) {
        tasks.push_back(task);
    }
    return tasks;
}

}  // namespace nimbra::engine
