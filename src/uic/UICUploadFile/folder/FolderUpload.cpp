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

// The display path a folder's files go to: the goal, then the chosen folder and the folders below it.
std::string NetPathOf(const tagCatalogTask& task, const std::string& folder) {
    const size_t slash = task.strPath.find_last_of('/');
    std::string relative = folder.substr(slash == std::string::npos ? 0 : slash + 1);
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return task.strGoalPath + "\\" + relative;
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
    // Folders deleted in the transfer list since the last tick go first: the new task may share a path.
    IFolderTransferList* transmit = m_site.FolderTransferList();
    IUIPUpload* adapter = m_site.UploadAdapter();
    if (transmit && adapter) {
        ApplyRemovals(transmit, *adapter);
    }
    // Only a task that has not started can be replaced: the ones before m_nCurTask are counted as started.
    const auto waiting =
        std::find_if(m_vecTasks.begin() + static_cast<std::ptrdiff_t>(m_nCurTask), m_vecTasks.end(),
                     [&](const tagCatalogTask& queued) { return queued.strPath == task.strPath; });
    if (waiting != m_vecTasks.end()) {
        m_vecTasks.erase(waiting);
    }
    task.nState = TASK_WAITING;
    m_vecTasks.push_back(std::move(task));
}

void CFolderUpload::Start() {
    static const char* const kName = "CUICUploadDlg::StartCatalog";
    if (!m_site.ShowTransferList()) {
        LOG_NULL(kName, "pUICUpload");
    }
    if (IFolderTransferList* transmit = m_site.FolderTransferList()) {
        transmit->CreatCatalogRun(m_vecTasks);
    } else {
        LOG_NULL(kName, "m_pDlgTransmit");
    }
    m_timers.SetTimer(TIMER_UPLOAD_CATALOG, kTickPeriod);
}

tagCatalogTask& CFolderUpload::Current() {
    return m_vecTasks[m_nCurTask - 1];
}

void CFolderUpload::TUploadCatalog() {
    static const char* const kName = "CUICUploadDlg::TUploadCatalog";
    IFolderTransferList* transmit = m_site.FolderTransferList();
    if (!transmit) {
        LOG_NULL(kName, "m_pDlgTransmit");
        return;
    }
    IUIPUpload* adapter = m_site.UploadAdapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    ApplyRemovals(transmit, *adapter);
    if (!m_bTaskActive) {
        m_nFileTaskID = 0;
        if (m_nCurTask >= m_vecTasks.size()) {
            FinishAll(transmit);
            return;
        }
        PickTask(transmit);
    } else if (m_bAwaitingAnswer && ++m_nWaitedTicks > kAnswerTicks) {
        SkipSubFolder("no answer to the catalog creation for");
    }
    FollowFile(*adapter, transmit);
    Advance(transmit);
}

void CFolderUpload::ApplyRemovals(IFolderTransferList* transmit, IUIPUpload& adapter) {
    bool removed = false;
    bool currentRemoved = false;
    transmit->GetCatalogResult(removed, currentRemoved);
    if (!removed) {
        return;
    }
    std::vector<std::string> paths;
    transmit->GetRemovedPaths(paths);
    const size_t running = m_bTaskActive ? m_nCurTask - 1 : m_nCurTask;
    CatalogTaskList kept;
    size_t position = 0;
    bool runningKept = false;
    for (size_t i = 0; i < m_vecTasks.size(); ++i) {
        if (std::find(paths.begin(), paths.end(), m_vecTasks[i].strPath) != paths.end()) {
            continue;
        }
        position += i < running ? 1 : 0;
        runningKept = runningKept || (m_bTaskActive && i == running);
        kept.push_back(std::move(m_vecTasks[i]));
    }
    m_vecTasks = std::move(kept);
    if (m_bTaskActive && !runningKept) {
        // The task at the same place runs next. The list deletes the engine task it follows; a file it
        // did not follow yet (still waiting) is deleted here, so nothing more reaches the folder's catalogs.
        if (!currentRemoved && m_nFileTaskID != 0) {
            adapter.DeleteTask(m_nFileTaskID, 1);
        }
        StopTask(transmit);
        m_nCurTask = position;
        return;
    }
    m_nCurTask = position + (m_bTaskActive ? 1 : 0);
    transmit->CreatCatalogRun(m_vecTasks);
}

void CFolderUpload::PickTask(IFolderTransferList* transmit) {
    tagCatalogTask& task = m_vecTasks[m_nCurTask++];
    task.nState = TASK_RUNNING;
    m_bTaskActive = true;
    m_bTaskFailed = false;
    transmit->SetCatalogTask(m_vecTasks, m_nCurTask, m_vecSizes);
    m_mapCatalogs.clear();
    m_vecFiles.clear();
    m_nFile = 0;
    m_nSubFolder = 0;
    m_vecSubFolders = {task.strPath};
    tagFolderScan scan = ScanFolder(task.strPath, 0);
    m_vecSubFolders.insert(m_vecSubFolders.end(), std::make_move_iterator(scan.vecSubFolders.begin()),
                           std::make_move_iterator(scan.vecSubFolders.end()));
    transmit->SetCatalogTimer(true);
    execuTask();
}

void CFolderUpload::FinishAll(IFolderTransferList* transmit) {
    transmit->SetCatalogTask(m_vecTasks, m_nCurTask, m_vecSizes);
    transmit->SetCurTaskID(0);
    transmit->SetCatalogTimer(false);
    m_timers.KillTimer(TIMER_UPLOAD_CATALOG);
    m_site.RefreshNetDisk();
}

void CFolderUpload::FollowFile(IUIPUpload& adapter, IFolderTransferList* transmit) {
    tagUploadProgress progress;
    if (m_nFileTaskID == 0 || adapter.GetProgress(m_nFileTaskID, progress) == -1) {
        return;
    }
    if (progress.nState == TASK_RUNNING) {
        transmit->SetCurTaskID(m_nFileTaskID);
    } else if (progress.nState == TASK_FINISHED || progress.nState == TASK_FAILED) {
        m_bTaskFailed = m_bTaskFailed || progress.nState == TASK_FAILED;
        m_nFileTaskID = 0;
        transmit->SetCurTaskID(0);
    }
}

void CFolderUpload::Advance(IFolderTransferList* transmit) {
    while (m_bTaskActive && !m_bAwaitingAnswer && m_nFileTaskID == 0) {
        if (m_nFile < m_vecFiles.size()) {
            if (!CatalogUploadFile()) {
                return;  // the engine is not ready: the next tick tries the same file again
            }
            continue;
        }
        if (m_nSubFolder + 1 >= m_vecSubFolders.size()) {
            EndTask(transmit);
            return;
        }
        ++m_nSubFolder;
        execuTask();
    }
}

void CFolderUpload::execuTask() {
    static const char* const kName = "CUICUploadDlg::execuTask";
    LOG_FUNCTION(kName);
    m_vecFiles.clear();
    m_nFile = 0;
    const std::string& path = m_vecSubFolders[m_nSubFolder];
    const size_t slash = path.find_last_of('/');
    const std::string name = path.substr(slash + 1);
    std::string parentId = Current().strParentID;
    if (m_nSubFolder > 0) {
        const auto parent = m_mapCatalogs.find(path.substr(0, slash));
        if (parent == m_mapCatalogs.end()) {
            SkipSubFolder("no catalog for the parent of");
            return;
        }
        parentId = parent->second;
    }
    CXML xml;
    xml.AddElem("data");
    xml.AddChildElem("strPath", name);
    xml.AddChildElem("parent", parentId);
    m_bAwaitingAnswer = true;
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
        m_bAwaitingAnswer) {
        SkipSubFolder("the network disk refused the catalog request for");
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
    if (answer == kCatalogRefused || answer.empty()) {
        SkipSubFolder("the network disk did not create the catalog for");
        return;
    }
    const std::string& path = m_vecSubFolders[m_nSubFolder];
    m_strRemoteID = answer;
    m_mapCatalogs[path] = answer;
    m_vecFiles = ListFolderFiles(path);
    m_nFile = 0;
}

void CFolderUpload::SkipSubFolder(const char* why) {
    LOG_ERROR("CUICUploadDlg::TUploadCatalog",
              (std::string(why) + " " + m_vecSubFolders[m_nSubFolder]).c_str());
    m_bTaskFailed = true;
    m_bAwaitingAnswer = false;
    m_vecFiles.clear();
    m_nFile = 0;
}

bool CFolderUpload::CatalogUploadFile() {
    static const char* const kName = "CUICUploadDlg::CatalogUploadFile";
    IUIPUpload* adapter = m_site.UploadAdapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return false;
    }
    if (!m_site.HasComponent()) {
        LOG_NULL(kName, "pUICUpload");
        return false;
    }
    if (adapter->GetUIPState() == 0) {
        return false;
    }
    const tagCatalogFile& file = m_vecFiles[m_nFile];
    tagUploadFileEntry entry;
    entry.strFilePath = file.strPath;
    entry.ullFileSize = file.ullSize;
    entry.strGoalPath = NetPathOf(Current(), m_vecSubFolders[m_nSubFolder]);
    UploadFileList entries{std::move(entry)};
    if (!stepUpLoadCatalogFiles(*adapter, entries)) {
        return false;
    }
    ++m_nFile;
    return true;
}

bool CFolderUpload::stepUpLoadCatalogFiles(IUIPUpload& adapter, UploadFileList& entries) {
    static const char* const kName = "CUICUploadDlg::stepUpLoadCatalogFiles";
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return false;
    }
    tagUploadInfo info = m_site.UploadServer();
    info.strSSOKey = login->GetLoginString();
    info.strTargetCatalogID = m_strRemoteID;
    info.strNewCatalogName.clear();
    info.strTag = Current().strTag;
    if (adapter.StartUpload(entries, info, kFolderBatch) == -1 || entries.front().strFileID.empty()) {
        // The file is counted as failed and the folder goes on with the next one.
        LOG_FAILED(kName, "StartUpload");
        m_bTaskFailed = true;
        return true;
    }
    m_nFileTaskID = std::atoi(entries.front().strFileID.c_str());
    return true;
}

void CFolderUpload::EndTask(IFolderTransferList* transmit) {
    tagCatalogTask& task = Current();
    task.nState = m_bTaskFailed ? TASK_FAILED : TASK_FINISHED;
    if (m_bTaskFailed) {
        LOG_ERROR("CUICUploadDlg::TUploadCatalog", ("folder not fully uploaded: " + task.strPath).c_str());
    }
    StopTask(transmit);
    transmit->SetCatalogTask(m_vecTasks, m_nCurTask, m_vecSizes);
}

void CFolderUpload::StopTask(IFolderTransferList* transmit) {
    m_bTaskActive = false;
    m_bAwaitingAnswer = false;
    m_nFileTaskID = 0;
    m_vecSubFolders.clear();
    m_nSubFolder = 0;
    m_vecFiles.clear();
    m_nFile = 0;
    m_mapCatalogs.clear();
    transmit->SetCurTaskID(0);
}
