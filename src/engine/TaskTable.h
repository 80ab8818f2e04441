#pragma once
// The live tasks of the bound account, by id. Lists are snapshots rebuilt only after a change, so polling an
// unchanged table costs nothing but the reads of the tasks themselves.

#include <map>
#include <memory>
#include <mutex>

#include "engine/TaskList.h"

namespace nimbra::engine {

class TaskTable final {
public:
    void Add(std::shared_ptr<Task> task);
    void Remove(int32_t id);
    void Clear();
    std::shared_ptr<Task> Find(int32_t id) const;
    std::shared_ptr<const TaskList> List(TaskKind kind);
    // All tasks in id order (creation order).
    std::vector<std::shared_ptr<Task>> All() const;

private:
    mutable std::mutex m_mutex;
    // Ordered by id, which is creation order.
    std::map<int32_t, std::shared_ptr<Task>> m_tasks;
    std::shared_ptr<const TaskList> m_lists[2];
};

}  // namespace nimbra::engine
