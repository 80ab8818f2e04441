#include "uic/UICUploadFile/folder/FolderUpload.h"

#include <algorithm>
#include <cstdlib>

#include "function/ToolsHelp.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/WindowTimers.h"
#include "uip/UIPUpload/IUIPUpload.h"
#include "xml/XML.h"

namespace {

constexpr long kCreateCatalogCommand = 198757;
constexpr const char* kCatalogRefused = "9424";
constexpr long kFolderBatch = 1;
constexpr unsigned kTickPeriod = 1000;
constexpr const char* kTick = "CUICUploadDlg::TUploadCatalog";

// The display path a folder's files go to: the goal, then the chosen folder and the folders below it.
std::string NetPathOf(const tagCatalogTask& task, const std::string& folder) {
    const size_t slash = task.strPath.find_last_of('/');
    std::string relative = folder.substr(slash == std::string::npos ? 0 : slash + 1);
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return task.strGoalPath + "\\" + relative;
}

bool HasEnded(int32_t state) {
    return state == TASK_FINISHED || state == TASK_FAILED || state == TASK_ENGINE_ERROR;
}

}  // namespace

CFolderUpload::CFolderUpload(IFolderUploadSite& site, WindowTimers& timers)
    : m_site(site), m_timers(timers) {}

void CFolderUpload::AddSize(uint64_t bytes, const std::string& path) {
    m_vecSizes.push_back({bytes, path});
}

uint64_t CFolderUpload::SizeOf(const std::string& path) const {
    const auto found = std::find_if(m_vecSizes.rbegin(), m_vecSizes.rend(),
                                    [&](const tagCatalogSize& size) { return size.strPath == path; });
    return found == m_vecSizes.rend() ? 0 : found->ullSize;
}

void CFolderUpload::AddTask(tagCatalogTask task) {
    std::erase_if(m_vecFolders, [&](const tagFolder& queued) {
        return !queued.bStarted && queued.task.strPath == task.strPath;
    });
    task.nState = TASK_WAITING;
    task.vecFileIDs.clear();
    tagFolder folder;
    folder.task = std::move(task);
    folder.nSerial = m_nNextSerial++;
    m_vecFolders.push_back(std::move(folder));
}

CatalogTaskList CFolderUpload::Tasks() const {
    CatalogTaskList tasks;
    tasks.reserve(m_vecFolders.size());
    for (const tagFolder& folder : m_vecFolders) {
        tasks.push_back(folder.task);
    }
    return tasks;
}

size_t CFolderUpload::StartedCount() const {
    return static_cast<size_t>(std::count_if(m_vecFolders.begin(), m_vecFolders.end(),
                                             [](const tagFolder& folder) { return folder.bStarted; }));
}

void CFolderUpload::Publish(IFolderTransferList& transmit) const {
    transmit.SetCatalogTask(Tasks(), StartedCount(), m_vecSizes);
}

void CFolderUpload::Start() {
    static const char* const kName = "CUICUploadDlg::StartCatalog";
    if (!m_site.ShowTransferList()) {
        LOG_NULL(kName, "pUICUpload");
    }
    if (IFolderTransferList* transmit = m_site.FolderTransferList()) {
        transmit->CreatCatalogRun(Tasks());
    } else {
        LOG_NULL(kName, "m_pDlgTransmit");
    }
    m_bRunning = true;
    m_timers.SetTimer(TIMER_UPLOAD_CATALOG, kTickPeriod);
    Queue();
}

void CFolderUpload::Queue() {
    if (!m_bQueued) {
        m_bQueued = true;
        m_site.Later([this] { Continue(); });
    }
}

void CFolderUpload::Continue() {
    m_bQueued = false;
    IFolderTransferList* transmit = m_site.FolderTransferList();
    if (!transmit) {
        LOG_NULL(kTick, "m_pDlgTransmit");
        return;
    }
    // Catalogs first: the host creates each within its request, which it does fastest before the transfers
    // compete with it; a folder's files follow once no catalog is left to ask for or while one is awaited.
    const bool worked = RequestCatalog() || CatalogUploadFile(*transmit) || PickTask(*transmit);
    EndFolders(*transmit);
    if (worked) {
        Queue();
    }
}

void CFolderUpload::TUploadCatalog() {
    IFolderTransferList* transmit = m_site.FolderTransferList();
    if (!transmit) {
        LOG_NULL(kTick, "m_pDlgTransmit");
        return;
    }
    IUIPUpload* adapter = m_site.UploadAdapter();
    if (!adapter) {
        LOG_NULL(kTick, "pIUIPUpload");
        return;
    }
    if (m_bAwaitingAnswer && ++m_nWaitedTicks > kAnswerTicks) {
        GiveUpAnswer();
    }
    FollowFiles(*adapter);
    // Also what had to wait for the engine to become ready.
    Continue();
}

void CFolderUpload::FollowFiles(IUIPUpload& adapter) {
    for (tagFolder& folder : m_vecFolders) {
        if (folder.task.nState != TASK_RUNNING) {
            continue;
        }
        const std::vector<int32_t>& ids = folder.task.vecFileIDs;
        while (folder.nEndedFiles < ids.size()) {
            tagUploadProgress progress;
            // A task the engine no longer knows will not arrive either.
            const bool known = adapter.GetProgress(ids[folder.nEndedFiles], progress) != -1;
            if (known && !HasEnded(progress.nState)) {
                break;
            }
            folder.bFailed = folder.bFailed || !known || progress.nState != TASK_FINISHED;
            ++folder.nEndedFiles;
        }
    }
}

bool CFolderUpload::IsAwaitedBy(const tagFolder& folder) const {
    return m_bAwaitingAnswer && m_nAwaitedSerial == folder.nSerial;
}

CFolderUpload::tagFolder* CFolderUpload::FindSerial(uint64_t serial) {
    const auto found = std::find_if(m_vecFolders.begin(), m_vecFolders.end(),
                                    [&](const tagFolder& folder) { return folder.nSerial == serial; });
    return found == m_vecFolders.end() ? nullptr : &*found;
}

void CFolderUpload::EndFolders(IFolderTransferList& transmit) {
    bool changed = false;
    for (tagFolder& folder : m_vecFolders) {
        if (folder.task.nState != TASK_RUNNING || folder.nNextCatalog < folder.vecSubFolders.size() ||
            IsAwaitedBy(folder) || !folder.queBatches.empty() ||
            folder.nEndedFiles < folder.task.vecFileIDs.size()) {
            continue;
        }
        folder.task.nState = folder.bFailed ? TASK_FAILED : TASK_FINISHED;
        if (folder.bFailed) {
            LOG_ERROR(kTick, ("folder not fully uploaded: " + folder.task.strPath).c_str());
        }
        folder.vecSubFolders.clear();
        folder.mapCatalogs.clear();
        changed = true;
    }
    if (changed) {
        Publish(transmit);
    }
    const bool pending = std::any_of(m_vecFolders.begin(), m_vecFolders.end(),
                                     [](const tagFolder& folder) { return !HasEnded(folder.task.nState); });
    if (m_bRunning && !pending) {
        FinishAll(transmit);
    }
}

void CFolderUpload::FinishAll(IFolderTransferList& transmit) {
    m_bRunning = false;
    Publish(transmit);
    transmit.SetCatalogTimer(false);
    m_timers.KillTimer(TIMER_UPLOAD_CATALOG);
    m_site.RefreshNetDisk();
}

bool CFolderUpload::PickTask(IFolderTransferList& transmit) {
    // Catalog requests go one at a time: a folder is started once the one before has asked for all of its.
    const bool asking = std::any_of(m_vecFolders.begin(), m_vecFolders.end(), [&](const tagFolder& folder) {
        return folder.task.nState == TASK_RUNNING &&
               (folder.nNextCatalog < folder.vecSubFolders.size() || IsAwaitedBy(folder));
    });
    const auto next = std::find_if(m_vecFolders.begin(), m_vecFolders.end(), [](const tagFolder& folder) {
        return folder.task.nState == TASK_WAITING;
    });
    if (asking || next == m_vecFolders.end()) {
        return false;
    }
    next->task.nState = TASK_RUNNING;
    next->bStarted = true;
    next->vecSubFolders = {next->task.strPath};
    tagFolderScan scan = ScanFolder(next->task.strPath, 0);
    next->vecSubFolders.insert(next->vecSubFolders.end(), std::make_move_iterator(scan.vecSubFolders.begin()),
                               std::make_move_iterator(scan.vecSubFolders.end()));
    transmit.SetCatalogTimer(true);
    Publish(transmit);
    return true;
}

bool CFolderUpload::RequestCatalog() {
    if (m_bAwaitingAnswer) {
        return false;
    }
    for (tagFolder& folder : m_vecFolders) {
        if (folder.task.nState != TASK_RUNNING) {
            continue;
        }
        while (folder.nNextCatalog < folder.vecSubFolders.size()) {
            const size_t index = folder.nNextCatalog++;
            if (index == 0) {
                execuTask(folder, index, folder.task.strParentID);
                return true;
            }
            const std::string& path = folder.vecSubFolders[index];
            const auto parent = folder.mapCatalogs.find(path.substr(0, path.find_last_of('/')));
            if (parent != folder.mapCatalogs.end()) {
                execuTask(folder, index, parent->second);
                return true;
            }
            SkipSubFolder(folder, index, "no catalog for the parent of");
        }
    }
    return false;
}

void CFolderUpload::execuTask(tagFolder& folder, size_t index, const std::string& parentId) {
    static const char* const kName = "CUICUploadDlg::execuTask";
    LOG_FUNCTION(kName);
    const std::string& path = folder.vecSubFolders[index];
    CXML xml;
    xml.AddElem("data");
    xml.AddChildElem("strPath", path.substr(path.find_last_of('/') + 1));
    xml.AddChildElem("parent", parentId);
    m_bAwaitingAnswer = true;
    m_nAwaitedSerial = folder.nSerial;
    m_nAwaitedIndex = index;
    m_nWaitedTicks = 0;
    IUICNetDisk* netDisk = m_site.NetDiskPage();
    if (!netDisk) {
        LOG_NULL(kName, "pIUICNetDisk");
        return;
    }
    std::string reply;
    // The host usually answers within the call; a request it could not read is never answered.
    if (netDisk->CallFlash(CToolsHelp::ConstructFlashXml2(kCreateCatalogCommand, xml.GetDoc()), reply) ==
            -1 &&
        IsAwaitedBy(folder)) {
        m_bAwaitingAnswer = false;
        SkipSubFolder(folder, index, "the network disk refused the catalog request for");
    }
}

void CFolderUpload::creatteNetCatalogResp(const std::string& answer) {
    static const char* const kName = "CUICUploadDlg::creatteNetCatalogResp";
    LOG_FUNCTION(kName);
    if (!m_bAwaitingAnswer) {
        // Too late: its folder was given up, and an id without its request cannot be placed.
        LOG_INFO(kName, ("answer dropped: " + answer).c_str());
        return;
    }
    m_bAwaitingAnswer = false;
    Queue();
    tagFolder* folder = FindSerial(m_nAwaitedSerial);
    if (!folder) {
        LOG_INFO(kName, ("answer for a deleted folder dropped: " + answer).c_str());
        return;
    }
    if (answer == kCatalogRefused || answer.empty()) {
        SkipSubFolder(*folder, m_nAwaitedIndex, "the network disk did not create the catalog for");
        return;
    }
    const std::string& path = folder->vecSubFolders[m_nAwaitedIndex];
    folder->mapCatalogs[path] = answer;
    std::vector<tagCatalogFile> files = ListFolderFiles(path);
    if (!files.empty()) {
        folder->queBatches.push_back({answer, NetPathOf(folder->task, path), std::move(files)});
    }
}

void CFolderUpload::SkipSubFolder(tagFolder& folder, size_t index, const char* why) {
    LOG_ERROR(kTick, (std::string(why) + " " + folder.vecSubFolders[index]).c_str());
    folder.bFailed = true;
}

void CFolderUpload::GiveUpAnswer() {
    m_bAwaitingAnswer = false;
    if (tagFolder* folder = FindSerial(m_nAwaitedSerial)) {
        SkipSubFolder(*folder, m_nAwaitedIndex, "no answer to the catalog creation for");
    }
}

bool CFolderUpload::CatalogUploadFile(IFolderTransferList& transmit) {
    static const char* const kName = "CUICUploadDlg::CatalogUploadFile";
    const auto folder =
        std::find_if(m_vecFolders.begin(), m_vecFolders.end(), [](const tagFolder& candidate) {
            return candidate.task.nState == TASK_RUNNING && !candidate.queBatches.empty();
        });
    if (folder == m_vecFolders.end()) {
        return false;
    }
    IUIPUpload* adapter = m_site.UploadAdapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return false;
    }
    if (!m_site.HasComponent()) {
        LOG_NULL(kName, "pUICUpload");
        return false;
    }
    // Not ready (unbound or synchronising): the files wait for the next tick.
    if (adapter->GetUIPState() == 0) {
        return false;
    }
    tagBatch& batch = folder->queBatches.front();
    const size_t end = std::min(batch.vecFiles.size(), batch.nHanded + kBatchFiles);
    UploadFileList entries;
    entries.reserve(end - batch.nHanded);
    for (size_t i = batch.nHanded; i < end; ++i) {
        tagUploadFileEntry entry;
        entry.strFilePath = batch.vecFiles[i].strPath;
        entry.ullFileSize = batch.vecFiles[i].ullSize;
        entry.strGoalPath = batch.strGoalPath;
        entries.push_back(std::move(entry));
    }
    if (!stepUpLoadCatalogFiles(*adapter, *folder, batch, entries)) {
        return false;
    }
    batch.nHanded = end;
    if (batch.nHanded == batch.vecFiles.size()) {
        folder->queBatches.pop_front();
    }
    Publish(transmit);
    return true;
}

bool CFolderUpload::stepUpLoadCatalogFiles(IUIPUpload& adapter, tagFolder& folder, const tagBatch& batch,
                                           UploadFileList& entries) {
    static const char* const kName = "CUICUploadDlg::stepUpLoadCatalogFiles";
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return false;
    }
    tagUploadInfo info = m_site.UploadServer();
    info.strSSOKey = login->GetLoginString();
    info.strTargetCatalogID = batch.strCatalogID;
    info.strNewCatalogName.clear();
    info.strTag = folder.task.strTag;
    const bool started = adapter.StartUpload(entries, info, kFolderBatch) != -1;
    for (const tagUploadFileEntry& entry : entries) {
        if (entry.strFileID.empty()) {
            folder.bFailed = true;
            continue;
        }
        const int32_t id = std::atoi(entry.strFileID.c_str());
        if (started) {
            folder.task.vecFileIDs.push_back(id);
        } else {
            // Made but never started: nothing of a failed batch stays behind in the engine.
            adapter.DeleteTask(id, 1);
        }
    }
    if (!started) {
        // The batch's files are counted as failed and the folder goes on with the next ones.
        LOG_FAILED(kName, "StartUpload");
        folder.bFailed = true;
    }
    return true;
}

bool CFolderUpload::CommandFiles(const tagFolder& folder, IUIPUpload& adapter,
                                 long (IUIPUpload::*command)(long, long)) {
    bool done = true;
    const std::vector<int32_t>& ids = folder.task.vecFileIDs;
    for (size_t i = folder.nEndedFiles; i < ids.size(); ++i) {
        done = (adapter.*command)(ids[i], 1) == 0 && done;
    }
    return done;
}

bool CFolderUpload::PauseFolder(const std::string& path) {
    static const char* const kName = "CUICUploadDlg::PauseFolder";
    IUIPUpload* adapter = m_site.UploadAdapter();
    bool paused = true;
    bool changed = false;
    for (tagFolder& folder : m_vecFolders) {
        if (folder.task.strPath != path ||
            (folder.task.nState != TASK_WAITING && folder.task.nState != TASK_RUNNING)) {
            continue;
        }
        if (folder.task.nState == TASK_RUNNING) {
            if (!adapter) {
                LOG_NULL(kName, "pIUIPUpload");
                return false;
            }
            paused = CommandFiles(folder, *adapter, &IUIPUpload::PauseTask) && paused;
        }
        folder.task.nState = TASK_PAUSED;
        changed = true;
    }
    if (IFolderTransferList* transmit = m_site.FolderTransferList(); transmit && changed) {
        Publish(*transmit);
    }
    return paused;
}

bool CFolderUpload::StartFolder(const std::string& path) {
    static const char* const kName = "CUICUploadDlg::StartFolder";
    IUIPUpload* adapter = m_site.UploadAdapter();
    bool resumed = true;
    bool changed = false;
    for (tagFolder& folder : m_vecFolders) {
        if (folder.task.strPath != path || folder.task.nState != TASK_PAUSED) {
            continue;
        }
        if (folder.bStarted) {
            if (!adapter) {
                LOG_NULL(kName, "pIUIPUpload");
                return false;
            }
            resumed = CommandFiles(folder, *adapter, &IUIPUpload::ResumeTask) && resumed;
        }
        folder.task.nState = folder.bStarted ? TASK_RUNNING : TASK_WAITING;
        changed = true;
    }
    if (!changed) {
        return resumed;
    }
    if (IFolderTransferList* transmit = m_site.FolderTransferList()) {
        Publish(*transmit);
    }
    Queue();
    return resumed;
}

void CFolderUpload::DeleteFolder(const std::string& path) {
    static const char* const kName = "CUICUploadDlg::DeleteFolder";
    IUIPUpload* adapter = m_site.UploadAdapter();
    const auto deleted = [&](const tagFolder& folder) {
        if (folder.task.strPath != path || folder.task.nState == TASK_FINISHED) {
            return false;
        }
        // An answer still to come for it is dropped when it arrives.
        for (const int32_t id : folder.task.vecFileIDs) {
            if (!adapter) {
                LOG_NULL(kName, "pIUIPUpload");
                break;
            }
            adapter->DeleteTask(id, 1);
        }
        return true;
    };
    if (std::erase_if(m_vecFolders, deleted) == 0) {
        return;
    }
    if (IFolderTransferList* transmit = m_site.FolderTransferList()) {
        Publish(*transmit);
        EndFolders(*transmit);
    }
    Queue();
}
