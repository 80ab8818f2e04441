#pragma once
// An immutable snapshot of the upload or download tasks, in creation order, with an index by id.

#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/Task.h"

namespace nimbra::engine {

class TaskList final {
public:
    explicit TaskList(std::vector<std::shared_ptr<Task>> tasks);

    size_t Count() const { return m_tasks.size(); }
    // Null when index is out of range.
    std::shared_ptr<Task> At(size_t index) const;
    // Null when no task of this list has the id.
    std::shared_ptr<Task> Find(int32_t id) const;
    const std::vector<std::shared_ptr<Task>>& All() const { return m_tasks; }

private:
    std::vector<std::shared_ptr<Task>> m_tasks;
    std::unordered_map<int32_t, size_t> m_index;
};

}  // namespace nimbra::engine
