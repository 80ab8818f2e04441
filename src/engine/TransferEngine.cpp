#include "engine/TransferEngine.h"

#include <sys/random.h>

#include <cerrno>
#include <filesystem>

#include "engine/DownloadJob.h"
#include "engine/LocalFile.h"
#include "engine/TerminateJob.h"
#include "engine/UploadJob.h"

namespace nimbra::engine {
namespace {

using OrvULD::ORV_UPLOAD_SESSION_STATE;

std::string FileNamePart(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// 128 random bits from the kernel: one call, where std::random_device would ask the CPU's seed
// instruction word by word (slow on some machines).
std::string NewCreationKey() {
    static constexpr char kDigits[] = "0123456789abcdef";
    unsigned char bytes[16];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n < 0 && errno != EINTR) {
            throw ComError(E_FAIL, "no random bytes for a creation key");
        }
        filled += n > 0 ? static_cast<size_t>(n) : 0;
    }
    std::string key;
    for (const unsigned char byte : bytes) {
        key += kDigits[byte >> 4];
        key += kDigits[byte & 0xF];
    }
    return key;
}

bool IsFinished(ORV_UPLOAD_SESSION_STATE state) {
    return state == OrvULD::ORV_SESSION_STATE_SCCESS || state == OrvULD::ORV_SESSION_STATE_DELETED;
}

// A task cut off by the network and not yet tried again.
bool AwaitsRetry(const TaskRecord& r) {
    return r.started && r.state == OrvULD::ORV_SESSION_STATE_READY &&
           r.errorCode == OrvULD::ORV_ERROR_NETWORK;
}

// States in which a task is under way or about to be.
bool IsMoving(ORV_UPLOAD_SESSION_STATE state) {
    return state == OrvULD::ORV_SESSION_STATE_READY || state == OrvULD::ORV_SESSION_STATE_RUNNING ||
           state == OrvULD::ORV_SESSION_STATE_AUTH_OK;
}

// A task the previous run was moving when it ended: it goes on by itself once a sign-on is known.
bool WasInterrupted(const TaskRecord& r) {
    return r.started && IsMoving(r.state);
}

}  // namespace

TransferEngine::TransferEngine(std::shared_ptr<RetryClock> clock)
    : m_retries(std::make_shared<NetworkRetries>(
          std::move(clock), [this](const std::shared_ptr<Task>& task) { RetryNow(task); })) {}

TransferEngine::~TransferEngine() {
    // First, without the lock: a retry that is being handed over still finds the engine whole.
    m_retries->Stop();
    std::lock_guard lock(m_mutex);
    Close();
}

void TransferEngine::Bind(const EngineBinding& binding) {
    std::lock_guard lock(m_mutex);
    if (binding.databasePath.empty()) {
        throw ComError(E_INVALIDARG, "no task database");
    }
    if (!m_store || m_store->Path() != binding.databasePath) {
        Open(binding.databasePath);
    }
    m_binding = binding;
    m_settings.token = binding.signOn;
    m_endpoint.clear();
    if (!binding.host.empty()) {
        const std::string& path = binding.requestPath;
        m_endpoint = "http://" + binding.host + ":" + std::to_string(binding.port > 0 ? binding.port : 80) +
                     (path.empty() || path.front() != '/' ? "/" : "") + path;
    }
    if (binding.signOn.empty()) {
        return;
    }
    if (!m_terminationsResumed) {
        // Deleted uploads a previous run could not end on the server.
        m_terminationsResumed = true;
        for (const auto& url : m_store->LoadTerminations()) {
            m_scheduler->Enqueue(std::make_unique<TerminateJob>(url, m_settings, m_store), true);
        }
    }
    // The state first: most tasks of an account are long finished, and need no copy of their record.
    for (const auto& task : m_table.All()) {
        // A task with a planned try keeps it.
        if (IsMoving(task->State()) && !HasLiveJob(*task) && WasInterrupted(task->Snapshot()) &&
            !m_retries->DueIn(task->Id())) {
            Schedule(*task);
        }
    }
}

void TransferEngine::Open(const std::string& databasePath) {
    auto store =
        std::make_shared<TaskStore>(databasePath);  // throws before anything of the old binding changes
    Close();
    m_store = std::move(store);
    int32_t maxId = 0;
    for (auto& record : m_store->LoadAll()) {
        if (record.state == OrvULD::ORV_SESSION_STATE_RUNNING ||
            record.state == OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD) {
            record.state = OrvULD::ORV_SESSION_STATE_READY;  // cut off by the end of the last run
        }
        maxId = std::max(maxId, record.id);
        const bool unstarted = record.kind == TaskKind::Upload && !record.started;
        auto task = std::make_shared<Task>(std::move(record), m_synchronising);
        if (unstarted) {
            m_unstarted.push_back(task);
        }
        m_table.Add(std::move(task));
    }
    m_nextId = maxId + 1;
    m_terminationsResumed = false;
    m_scheduler = std::make_unique<TransferScheduler>();
}

void TransferEngine::Close() {
    m_scheduler.reset();  // running jobs end here; their tasks stay as stored, to be continued
    m_retries->Clear();
    if (m_store) {
        m_store->Flush();
    }
    m_store.reset();
    m_table.Clear();
    m_unstarted.clear();
}

void TransferEngine::SetProxy(const std::string& address, int32_t port) {
    std::lock_guard lock(m_mutex);
    m_settings.proxyHost = address;
    m_settings.proxyPort = port;
}

void TransferEngine::SetProxyCredentials(const std::string& name, const std::string& password) {
    std::lock_guard lock(m_mutex);
    m_settings.proxyUser = name;
    m_settings.proxyPassword = password;
}

ConnectionSettings TransferEngine::SettingsFor(const Task& task) const {
    ConnectionSettings settings = m_settings;
    if (std::string own = task.SignOn(); !own.empty()) {
        settings.token = std::move(own);
    }
    return settings;
}

int32_t TransferEngine::State() const {
    std::lock_guard lock(m_mutex);
    return !m_store || m_synchronising->load() > 0 ? 1 : 0;
}

int32_t TransferEngine::ActiveTaskCount() const {
    std::lock_guard lock(m_mutex);
    return m_scheduler ? static_cast<int32_t>(m_scheduler->PendingTaskJobs()) : 0;
}

std::shared_ptr<const TaskList> TransferEngine::List(TaskKind kind) {
    return m_table.List(kind);
}

std::shared_ptr<Task> TransferEngine::AddUpload() {
    std::lock_guard lock(m_mutex);
    if (!m_store) {
        throw ComError(E_UNEXPECTED, "engine not bound");
    }
    TaskRecord record;
    record.id = m_nextId++;
    record.kind = TaskKind::Upload;
    auto task = std::make_shared<Task>(record, m_synchronising);
    m_table.Add(task);
    m_unstarted.push_back(task);
    m_store->Put(record);
    return task;
}

void TransferEngine::StartUploads() {
    std::lock_guard lock(m_mutex);
    if (!m_store) {
        throw ComError(E_UNEXPECTED, "engine not bound");
    }
    if (m_endpoint.empty()) {
        throw ComError(E_UNEXPECTED, "no upload service bound");
    }
    // Each leaves the queue once started, so a failure part way leaves the rest for the next call.
    while (!m_unstarted.empty()) {
        const std::shared_ptr<Task> task = m_unstarted.front();
        if (Owns(*task) && !task->Snapshot().started) {
            TakeThumbnail(*task);
            Save(*task, [&](TaskRecord& r) {
                r.started = true;
                r.endpointUrl = m_endpoint;
                r.creationKey = NewCreationKey();
            });
            Schedule(*task);
        }
        m_unstarted.pop_front();
    }
}

void TransferEngine::TakeThumbnail(Task& task) {
    const TaskRecord record = task.Snapshot();
    if (record.miniaturePath.empty()) {
        return;
    }
    // The component empties its thumbnail folder at the next upload: keep a copy of our own.
    const auto folder = std::filesystem::path(m_store->Path()).parent_path() / "thumbnails";
    const auto copy = folder / (std::to_string(record.id) + ".jpg");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::copy_file(record.miniaturePath, copy, std::filesystem::copy_options::overwrite_existing,
                               ec);
    Save(task, [&](TaskRecord& r) { r.thumbnailCopy = ec ? std::string() : copy.string(); });
}

std::shared_ptr<Task> TransferEngine::AddDownload(const std::string& url, const std::string& localPath) {
    std::lock_guard lock(m_mutex);
    if (!m_store) {
        throw ComError(E_UNEXPECTED, "engine not bound");
    }
    if (url.empty() || localPath.empty()) {
        throw ComError(E_INVALIDARG, "download needs a source and a target");
    }
    TaskRecord record;
    record.id = m_nextId++;
    record.kind = TaskKind::Download;
    record.remoteUrl = ResolveUrl(url);
    record.localPath = localPath;
    record.displayName = FileNamePart(localPath);
    record.started = true;
    auto task = std::make_shared<Task>(record, m_synchronising);
    m_table.Add(task);
    m_store->Put(record);
    Schedule(*task);
    return task;
}

std::string TransferEngine::ResolveUrl(const std::string& url) const {
    if (url.front() != '/' || m_binding.host.empty()) {
        return url;
    }
    return "http://" + m_binding.host + ":" + std::to_string(m_binding.port > 0 ? m_binding.port : 80) + url;
}

void TransferEngine::Describe(Task& task, const std::function<void(TaskRecord&)>& change) {
    Save(task, change);
}

void TransferEngine::SetLocalPath(Task& task, const std::string& path) {
    const auto print = LocalFile::Fingerprint(path);
    Save(task, [&](TaskRecord& r) {
        r.localPath = path;
        r.displayName = FileNamePart(path);
        r.sourceSize = print ? print->size : 0;
        r.sourceMtimeNs = print ? print->mtimeNs : 0;
        if (print) {
            r.size = print->size;
        }
    });
}

void TransferEngine::SetDeclaredSize(Task& task, uint64_t size) {
    // The file's own size wins: callers that keep sizes in 32 bits would cut files over 4 GiB.
    Save(task, [&](TaskRecord& r) {
        if (r.localPath.empty() || !LocalFile::Fingerprint(r.localPath)) {
            r.size = size;
        }
    });
}

void TransferEngine::Save(Task& task, const std::function<void(TaskRecord&)>& change) {
    std::lock_guard lock(m_mutex);
    if (!Owns(task)) {
        throw ComError(E_UNEXPECTED, "task no longer exists");
    }
    m_store->Put(task.Edit(change));
}

bool TransferEngine::Owns(const Task& task) const {
    const auto found = m_table.Find(task.Id());
    return m_store && found.get() == &task;
}

bool TransferEngine::HasLiveJob(const Task& task) {
    if (!task.Scheduled()) {
        return false;
    }
    switch (task.State()) {
        case OrvULD::ORV_SESSION_STATE_READY:
            if (AwaitsRetry(task.Snapshot())) {
                // The job that was cut off has published its end and is about to go: wait for that.
                m_scheduler->Cancel(task.Id());
                return false;
            }
            return true;
        case OrvULD::ORV_SESSION_STATE_AUTH_OK:
        case OrvULD::ORV_SESSION_STATE_RUNNING:
        case OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD:
            return true;
        default:
            // The job has published how it ended and is about to go: wait for that.
            m_scheduler->Cancel(task.Id());
            return false;
    }
}

HRESULT TransferEngine::Schedule(Task& task) {
    if (HasLiveJob(task)) {
        return S_FALSE;
    }
    const auto shared = m_table.Find(task.Id());
    Save(task, [](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_READY;
        r.errorCode = 0;
    });
    if (task.Kind() == TaskKind::Upload) {
        m_scheduler->Enqueue(std::make_unique<UploadJob>(shared, m_store, SettingsFor(task), m_retries,
                                                         UploadJob::Mode::Transfer));
    } else {
        m_scheduler->Enqueue(std::make_unique<DownloadJob>(shared, m_store, SettingsFor(task), m_retries));
    }
    return S_OK;
}

HRESULT TransferEngine::Pause(Task& task) {
    std::lock_guard lock(m_mutex);
    if (!Owns(task)) {
        throw ComError(E_UNEXPECTED, "task no longer exists");
    }
    m_scheduler->Cancel(task.Id());
    m_retries->Forget(task.Id());  // a user's pause ends the automatic tries
    bool paused = false;
    Save(task, [&](TaskRecord& r) {
        if (!IsFinished(r.state)) {
            r.state = OrvULD::ORV_SESSION_STATE_PAUSE;
            paused = true;
        }
    });
    return paused ? S_OK : S_FALSE;
}

HRESULT TransferEngine::Resume(Task& task) {
    return Continue(task, task.Kind());
}

HRESULT TransferEngine::Continue(Task& task, TaskKind kind) {
    std::lock_guard lock(m_mutex);
    if (!Owns(task)) {
        throw ComError(E_UNEXPECTED, "task no longer exists");
    }
    if (task.Kind() != kind) {
        throw ComError(E_INVALIDARG, "wrong kind of task");
    }
    const TaskRecord record = task.Snapshot();
    if (!record.started || IsFinished(record.state)) {
        return S_FALSE;
    }
    if (SettingsFor(task).token.empty()) {
        throw ComError(E_UNEXPECTED, "no sign-on bound");
    }
    m_retries->Forget(task.Id());  // tried now; a new failure starts with the shortest wait
    return Schedule(task);
}

HRESULT TransferEngine::Abort(Task& task) {
    std::lock_guard lock(m_mutex);
    if (!Owns(task)) {
        throw ComError(E_UNEXPECTED, "task no longer exists");
    }
    m_scheduler->Cancel(task.Id());
    m_retries->Forget(task.Id());
    Save(task, [](TaskRecord& r) {
        if (!IsFinished(r.state)) {
            r.state = OrvULD::ORV_SESSION_STATE_FAIL;
        }
    });
    return S_OK;
}

HRESULT TransferEngine::Delete(Task& task) {
    std::lock_guard lock(m_mutex);
    if (!Owns(task)) {
        throw ComError(E_UNEXPECTED, "task no longer exists");
    }
    m_scheduler->Cancel(task.Id());
    m_retries->Forget(task.Id());
    const TaskRecord record = task.Snapshot();
    const bool unfinished = record.state != OrvULD::ORV_SESSION_STATE_SCCESS;
    std::error_code ec;
    if (record.kind == TaskKind::Download && unfinished) {
        std::filesystem::remove(DownloadJob::PartPath(record.localPath), ec);
    }
    if (record.kind == TaskKind::Upload && unfinished && !record.uploadUrl.empty()) {
        m_store->AddTermination(record.uploadUrl);
        m_scheduler->Enqueue(std::make_unique<TerminateJob>(record.uploadUrl, SettingsFor(task), m_store),
                             true);
    }
    if (!record.thumbnailCopy.empty()) {
        std::filesystem::remove(record.thumbnailCopy, ec);
    }
    m_table.Remove(task.Id());
    m_store->Erase(task.Id());
    task.Edit([](TaskRecord& r) { r.state = OrvULD::ORV_SESSION_STATE_DELETED; });
    return S_OK;
}

HRESULT TransferEngine::SyncUploads() {
    std::lock_guard lock(m_mutex);
    if (!m_store) {
        throw ComError(E_UNEXPECTED, "engine not bound");
    }
    for (const auto& task : m_table.List(TaskKind::Upload)->All()) {
        const TaskRecord record = task->Snapshot();
        const bool lostConnection =
            record.state == OrvULD::ORV_SESSION_STATE_FAIL && record.errorCode == OrvULD::ORV_ERROR_NETWORK;
        if (HasLiveJob(*task) || !record.started || !(lostConnection || WasInterrupted(record))) {
            continue;
        }
        m_retries->Forget(task->Id());  // the network is said to be back: confirmed now instead
        Save(*task, [](TaskRecord& r) {
            r.state = OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD;
            r.errorCode = 0;
        });
        m_scheduler->Enqueue(std::make_unique<UploadJob>(task, m_store, SettingsFor(*task), m_retries,
                                                         UploadJob::Mode::Confirm));
    }
    return S_OK;
}

int64_t TransferEngine::NextTryIn(const Task& task) const {
    const auto left = m_retries->DueIn(task.Id());
    return left ? left->count() : -1;
}

void TransferEngine::RetryNow(const std::shared_ptr<Task>& task) {
    std::lock_guard lock(m_mutex);
    if (!Owns(*task) || !AwaitsRetry(task->Snapshot()) || HasLiveJob(*task) ||
        SettingsFor(*task).token.empty()) {
        return;  // paused, continued, deleted or unbound meanwhile
    }
    Schedule(*task);
}

void TransferEngine::FlushStore() {
    std::lock_guard lock(m_mutex);
    if (m_store) {
        m_store->Flush();
    }
}

}  // namespace nimbra::engine
