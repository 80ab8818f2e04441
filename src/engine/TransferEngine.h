#pragma once
// The transfer engine without its COM dress: binds to an account's task database and service, makes and
// steers tasks, and answers polls from memory. Commands may come from any thread. A transfer cut off by the
// network waits (state 0, error code 8000) for its next try, which the engine makes by itself until the
// user pauses, aborts or deletes the task.

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "engine/HttpRequest.h"
#include "engine/NetworkRetries.h"
#include "engine/RetryClock.h"
#include "engine/TaskStore.h"
#include "engine/TaskTable.h"
#include "engine/TransferScheduler.h"

namespace nimbra::engine {

struct EngineBinding {
    std::string account;
    std::string requestPath;
    std::string host;
    int32_t port = 0;
    std::string signOn;
    std::string databasePath;
};

class TransferEngine final {
public:
    explicit TransferEngine(std::shared_ptr<RetryClock> clock = std::make_shared<SteadyRetryClock>());
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Binds (or re-binds) to an account; opens its task database when the path changed and continues the
    // tasks a previous run left unfinished once a sign-on is known. Throws ComError.
    void Bind(const EngineBinding& binding);
    void SetProxy(const std::string& address, int32_t port);
    void SetProxyCredentials(const std::string& name, const std::string& password);

    // 1 while unbound or while tasks are being confirmed with the server, else 0.
    int32_t State() const;
    int32_t ActiveTaskCount() const;
    std::shared_ptr<const TaskList> List(TaskKind kind);

    std::shared_ptr<Task> AddUpload();
    // Starts every upload added and not yet started.
    void StartUploads();
    std::shared_ptr<Task> AddDownload(const std::string& url, const std::string& localPath);

    // Changes a task's description (before it starts) and stores it.
    void Describe(Task& task, const std::function<void(TaskRecord&)>& change);
    void SetLocalPath(Task& task, const std::string& path);
    void SetDeclaredSize(Task& task, uint64_t size);

    HRESULT Pause(Task& task);
    HRESULT Resume(Task& task);
    HRESULT Abort(Task& task);
    HRESULT Delete(Task& task);
    HRESULT Continue(Task& task, TaskKind kind);
    HRESULT SyncUploads();
    // Milliseconds until the task's next automatic try, or -1 when none is planned.
    int64_t NextTryIn(const Task& task) const;
    // Waits until every change so far is in the database (tests and shutdown).
    void FlushStore();

private:
    void Open(const std::string& databasePath);
    void Close();
    // True while a job works for the task; a job that already reported its end is waited for.
    bool HasLiveJob(const Task& task);
    HRESULT Schedule(Task& task);
    void Save(Task& task, const std::function<void(TaskRecord&)>& change);
    bool Owns(const Task& task) const;
    ConnectionSettings SettingsFor(const Task& task) const;
    void TakeThumbnail(Task& task);
    std::string ResolveUrl(const std::string& url) const;
    // The planned try of a task cut off by the network, unless someone took it over meanwhile.
    void RetryNow(const std::shared_ptr<Task>& task);

    mutable std::recursive_mutex m_mutex;
    EngineBinding m_binding;
    std::string m_endpoint;
    ConnectionSettings m_settings;
    std::shared_ptr<TaskStore> m_store;
    std::shared_ptr<NetworkRetries> m_retries;
    std::unique_ptr<TransferScheduler> m_scheduler;
    TaskTable m_table;
    // Uploads added and not started yet, in the order they were added: UpLoad starts these without
    // looking at every task the account ever had.
    std::deque<std::shared_ptr<Task>> m_unstarted;
    std::atomic<int32_t> m_nextId{1};
    // Set once the stored terminations of the open database were handed to the scheduler.
    bool m_terminationsResumed = false;
    // Tasks waiting to be confirmed with the server (kept by the tasks themselves).
    std::shared_ptr<std::atomic<int32_t>> m_synchronising = std::make_shared<std::atomic<int32_t>>(0);
};

}  // namespace nimbra::engine
