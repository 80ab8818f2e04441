#pragma once
// The task database of one account: SQLite in WAL mode, one row per task.
// Writes are queued and committed in batches by a writer thread, so transfer threads never wait for the disk;
// several writes of one task within a batch collapse into the last.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/TaskRecord.h"

struct sqlite3;

namespace nimbra::engine {

class TaskStore final {
public:
    static constexpr int kSchemaVersion = 5;

    // Opens (creating the file and its missing folders) the database at path; throws ComError on failure.
    explicit TaskStore(const std::string& path);
    ~TaskStore();
    TaskStore(const TaskStore&) = delete;
    TaskStore& operator=(const TaskStore&) = delete;

    const std::string& Path() const { return m_path; }
    // Every stored task, by ascending id.
    std::vector<TaskRecord> LoadAll();
    void Put(const TaskRecord& record);
    void Erase(int32_t id);
    // Unfinished uploads of deleted tasks, to be ended on the server: kept until the server has answered.
    void AddTermination(const std::string& uploadUrl);
    void ForgetTermination(const std::string& uploadUrl);
    std::vector<std::string> LoadTerminations();
    // Returns once every write queued so far is committed.
    void Flush();

private:
    void CreateSchema();
    void WriterLoop();
    // Pending writes: tasks by id (nullopt erases), terminations by URL (false forgets).
    struct Batch {
        std::map<int32_t, std::optional<TaskRecord>> tasks;
        std::map<std::string, bool> terminations;
        bool Empty() const { return tasks.empty() && terminations.empty(); }
    };
    void Commit(const Batch& batch);

    std::string m_path;
    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_committed;
    Batch m_pending;
    uint64_t m_queuedBatches = 0;
    uint64_t m_committedBatches = 0;
    bool m_stop = false;
    std::thread m_writer;
};

}  // namespace nimbra::engine
