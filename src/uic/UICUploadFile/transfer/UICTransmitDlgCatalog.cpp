// The transfer list's side of folder uploads: one row per folder task, showing the progress of the folder
// across all its files in the engine, the folder's own refresh timer, and the Start, Pause and Delete
// commands on those rows, which the folder upload carries out for all of a folder's files at once.

#include <QTableView>
#include <algorithm>
#include <unordered_set>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "log/LogMacros.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/TransferProgress.h"
#include "uic/UICUploadFile/transfer/TransferText.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

bool KeepsFolderShown(int32_t state) {
    return state == TASK_WAITING || state == TASK_PAUSED || state == TASK_FAILED || state == TASK_OTHER ||
           state == TASK_NEW;
}

// Shown until the folder upload has seen the last file confirmed.
constexpr double kLastPercentBeforeDone = 99.8;

IFolderCommands* FolderCommands() {
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    return component ? component->FolderCommands() : nullptr;
}

}  // namespace

void CUICTransmitDlg::SetCatalogTimer(bool start) {
    if (!start) {
        m_bCatalogStop = true;
        return;
    }
    // A folder that starts while the timer still runs for the previous one keeps it running.
    m_bCatalogStop = false;
    if (!m_timers.IsActive(kCatalogTimer)) {
        m_timers.SetTimer(kCatalogTimer, kRefreshPeriod);
    }
}

void CUICTransmitDlg::SetCatalogTask(const CatalogTaskList& files, size_t /*index*/,
                                     const CatalogSizeList& sizes) {
    m_vecCatalogFiles = files;
    m_vecCatalogSizes = sizes;
    // A folder that has just ended is finished with the figures it ended with, whatever view is shown.
    for (size_t k = 0; k < m_vecCatalogFiles.size(); ++k) {
        if (m_vecCatalogFiles[k].nState == TASK_FINISHED) {
            FinishCatalog(k);
        }
    }
    if (m_nCurView == IDC_VIEW_UPLOADING) {
        RefreshCatalogRows(true);
        m_pModel->FlushChanges();
    }
}

void CUICTransmitDlg::CreatCatalogRun(const CatalogTaskList& files) {
    m_vecCatalogFiles = files;
    // Rows belong to the uploading view; another view gets them when the user comes back to it.
    if (m_nCurView != IDC_VIEW_UPLOADING) {
        return;
    }
    for (const tagCatalogTask& entry : m_vecCatalogFiles) {
        const int row = FindCatalogRow(entry.strPath);
        if (row >= 0 && entry.nState == TASK_NEW) {
            RemoveCatalogRow(row);
        } else if (row < 0 && entry.nState != TASK_FINISHED && entry.nState != TASK_NEW) {
            AppendCatalogRow(entry);
        }
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::OnCatalogTimer() {
    // Timer 1000 follows every upload while it runs, the folders' files included.
    if (m_bUploadRefresh) {
        return;
    }
    bool show = false;
    for (const tagCatalogTask& entry : m_vecCatalogFiles) {
        show = show || KeepsFolderShown(entry.nState);
        if (entry.nState != TASK_RUNNING) {
            continue;
        }
        for (const int32_t id : entry.vecFileIDs) {
            const auto found = m_mapUploadInfo.find(id);
            if (found == m_mapUploadInfo.end()) {
                continue;
            }
            tagFileInfo info = found->second;
            if ((info.nState == TASK_WAITING || info.nState == TASK_RUNNING) &&
                m_pIUIPUpload->GetProgress(id, 1, info) == 0) {
                ComputeProgress(id, info, true);
            }
        }
    }
    UpdateCatalogFigures();
    if (m_bCatalogStop) {
        m_timers.KillTimer(kCatalogTimer);
        m_bCatalogStop = false;
        ShowProgress(0.0, true);
        m_bUploadRefresh = false;
        setVisible(show);
    }
}

void CUICTransmitDlg::UpdateCatalogFigures() {
    for (const tagCatalogTask& entry : m_vecCatalogFiles) {
        if (entry.nState != TASK_RUNNING) {
            continue;
        }
        uint64_t done = 0;
        for (const int32_t id : entry.vecFileIDs) {
            if (const auto found = m_mapUploadInfo.find(id); found != m_mapUploadInfo.end()) {
                done += found->second.ullDoneSize;
            }
        }
        // A file the engine starts over counts what it had until it is back there.
        tagCatalogFigures& figures = m_mapCatalogFigures[entry.strPath];
        figures.ullDelta = done > figures.ullDone ? done - figures.ullDone : 0;
        figures.ullDone = std::max(figures.ullDone, done);
        figures.strSpeed = MakeTransferSize(figures.ullDelta) + "/S";
        ++figures.nUsedTime;
    }
}

void CUICTransmitDlg::RefreshCatalogRows(bool endedOnly) {
    for (size_t k = 0; k < m_vecCatalogFiles.size(); ++k) {
        const tagCatalogTask& entry = m_vecCatalogFiles[k];
        const int row = FindCatalogRow(entry.strPath);
        if (row < 0) {
            if (!endedOnly && entry.nState != TASK_FINISHED && entry.nState != TASK_NEW) {
                AppendCatalogRow(entry);
            }
            continue;
        }
        switch (entry.nState) {
            case TASK_RUNNING:
                if (!endedOnly) {
                    RefreshCatalogRow(k, row);
                }
                break;
            case TASK_FINISHED:
            case TASK_NEW:
                RemoveCatalogRow(row);
                break;
            case TASK_FAILED:
                // Some of the folder did not arrive: the row stays, marked, until the user deletes it.
                m_pModel->Record(row)->nState = TASK_FAILED;
                m_pModel->SetImage(row, GetImageIndexByState(TASK_FAILED, true));
                for (const int column : {5, 6}) {
                    m_pModel->SetText(row, column, "");
                }
                break;
            default:
                break;
        }
    }
}

int CUICTransmitDlg::FindCatalogRow(const std::string& path) const {
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        const tagFileInfo* record = m_pModel->Record(row);
        if (record && record->nCatalogFlag != 0 && record->strFilePath == path) {
            return row;
        }
    }
    return -1;
}

tagFileInfo* CUICTransmitDlg::OwnCatalogRecord() {
    // Records whose rows went with a cleared list are dropped here, the next time one is needed.
    std::unordered_set<const tagFileInfo*> shown;
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        shown.insert(m_pModel->Record(row));
    }
    std::erase_if(m_vecCatalogRecords, [&](const auto& record) { return !shown.count(record.get()); });
    m_vecCatalogRecords.push_back(std::make_unique<tagFileInfo>());
    tagFileInfo* record = m_vecCatalogRecords.back().get();
    record->nCatalogFlag = 1;
    return record;
}

void CUICTransmitDlg::AppendCatalogRow(const tagCatalogTask& entry) {
    tagFileInfo* record = OwnCatalogRecord();
    record->strFilePath = entry.strPath;
    record->strFileName = CToolsHelp::GetFileName(entry.strPath);
    record->nState = entry.nState;
    record->strNetPath = entry.strGoalPath;
    const int row = m_pModel->AppendRow(record, GetImageIndexByState(entry.nState, true));
    m_pModel->SetText(row, 2, record->strFileName);
    m_pModel->SetText(row, 3, MakeTransferSize(CatalogRowSize(row)));
    m_pModel->SetText(row, 8, entry.strPath);
    m_pModel->SetText(row, 9, entry.strGoalPath);
}

void CUICTransmitDlg::RemoveCatalogRow(int row) {
    const tagFileInfo* record = m_pModel->Record(row);
    m_pModel->RemoveRow(row);
    std::erase_if(m_vecCatalogRecords, [&](const auto& owned) { return owned.get() == record; });
}

uint64_t CUICTransmitDlg::CatalogSize(const std::string& path) const {
    const auto found = std::find_if(m_vecCatalogSizes.begin(), m_vecCatalogSizes.end(),
                                    [&](const tagCatalogSize& size) { return size.strPath == path; });
    return found == m_vecCatalogSizes.end() ? 0 : found->ullSize;
}

uint64_t CUICTransmitDlg::CatalogRowSize(int row) {
    tagFileInfo* record = m_pModel->Record(row);
    if (record->ullCatalogSize == 0) {
        if (const uint64_t size = CatalogSize(record->strFilePath); size != 0) {
            record->ullCatalogSize = size;
            m_pModel->SetText(row, 3, MakeTransferSize(size));
        }
    }
    return record->ullCatalogSize;
}

void CUICTransmitDlg::RefreshCatalogRow(size_t k, int row) {
    const tagCatalogTask& entry = m_vecCatalogFiles[k];
    const tagCatalogFigures& figures = m_mapCatalogFigures[entry.strPath];
    const uint64_t size = CatalogRowSize(row);
    if (size != 0) {
        const double percent = std::min(ComputePercent(figures.ullDone, size), kLastPercentBeforeDone);
        ShowProgress(percent, true);
        // Bytes beyond the size (a file that grew since the scan) leave nothing to wait for.
        if (figures.ullDelta != 0) {
            const uint64_t left = size > figures.ullDone ? size - figures.ullDone : 0;
            m_pModel->SetText(row, 6, FormatTime(static_cast<int64_t>(left / figures.ullDelta)));
        }
        m_pModel->SetText(row, 4, PercentText(percent));
    }
    m_pModel->SetText(row, 5, figures.strSpeed);
    m_pModel->SetText(row, 7, FormatTime(figures.nUsedTime));
    m_pModel->SetText(row, 9, entry.strGoalPath);
    m_pModel->SetImage(row, GetImageIndexByState(TASK_RUNNING, true));
    m_pModel->Record(row)->nState = TASK_RUNNING;
}

void CUICTransmitDlg::FinishCatalog(size_t k) {
    tagCatalogTask& entry = m_vecCatalogFiles[k];
    // The folder upload reports a finished folder again with every change; it counts once. A later upload
    // of the same folder has files of its own and counts again.
    const int32_t firstFile = entry.vecFileIDs.empty() ? 0 : entry.vecFileIDs.front();
    if (!m_setCatalogCounted.emplace(entry.strPath, firstFile).second) {
        return;
    }
    const auto figures = m_mapCatalogFigures.find(entry.strPath);
    entry.ullSize = CatalogSize(entry.strPath);
    entry.strNetPath = entry.strGoalPath;
    if (figures != m_mapCatalogFigures.end()) {
        entry.strSpeed = figures->second.strSpeed;
        entry.nUsedTime = figures->second.nUsedTime;
        m_mapCatalogFigures.erase(figures);
    }
    ShowProgress(0.0, true);
    PlayFinishSound();
    m_vecCatalogDone.push_back(entry);
    ++m_nUploadedExtra;
    SetViewLabel(IDC_VIEW_UPLOADED, "IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA", m_nUploadedExtra);
}

void CUICTransmitDlg::ShowCatalogDone() {
    for (const tagCatalogTask& done : m_vecCatalogDone) {
        tagFileInfo* record = OwnCatalogRecord();
        record->strFilePath = done.strPath;
        record->strFileName = CToolsHelp::GetFileName(done.strPath);
        record->ullCatalogSize = done.ullSize;
        record->nState = TASK_FINISHED;
        record->strNetPath = done.strNetPath;
        const int row = m_pModel->AppendRow(record, GetImageIndexByState(TASK_FINISHED, true));
        m_pModel->SetText(row, 2, record->strFileName);
        m_pModel->SetText(row, 3, MakeTransferSize(done.ullSize));
        m_pModel->SetText(row, 4, done.strSpeed);
        m_pModel->SetText(row, 5, FormatTime(0));
        m_pModel->SetText(row, 6, FormatTime(done.nUsedTime));
        m_pModel->SetText(row, 7, done.strNetPath);
    }
}

tagCatalogTask* CUICTransmitDlg::CatalogEntry(const std::string& path) {
    const auto found = std::find_if(m_vecCatalogFiles.begin(), m_vecCatalogFiles.end(),
                                    [&](const tagCatalogTask& entry) { return entry.strPath == path; });
    return found == m_vecCatalogFiles.end() ? nullptr : &*found;
}

void CUICTransmitDlg::EnableCatalogRow(const tagFileInfo& record, CommandEnabling& enabling) const {
    for (const tagCatalogTask& entry : m_vecCatalogFiles) {
        if (entry.strPath == record.strFilePath) {
            enabling.pause = enabling.pause || entry.nState == TASK_RUNNING || entry.nState == TASK_WAITING;
            enabling.start = enabling.start || entry.nState == TASK_PAUSED;
            return;
        }
    }
}

void CUICTransmitDlg::StartCatalogRow(int row, tagFileInfo& record) {
    if (record.nState != TASK_PAUSED) {
        return;
    }
    IFolderCommands* commands = FolderCommands();
    if (!commands) {
        LOG_NULL("CUICTransmitDlg::OnButtonStart", "m_pUICUploadDlg");
        return;
    }
    if (!commands->StartFolder(record.strFilePath)) {
        ShowTip("IDS_UPLOAD_INFO_RESUME_FAILED");
    }
    const tagCatalogTask* entry = CatalogEntry(record.strFilePath);
    record.nState = entry ? entry->nState : TASK_WAITING;
    m_pModel->SetImage(row, GetImageIndexByState(record.nState, true));
}

void CUICTransmitDlg::PauseCatalogRow(int row, tagFileInfo& record) {
    if (record.nState != TASK_RUNNING && record.nState != TASK_WAITING) {
        return;
    }
    IFolderCommands* commands = FolderCommands();
    if (!commands) {
        LOG_NULL("CUICTransmitDlg::OnButtonPause", "m_pUICUploadDlg");
        return;
    }
    // Files the engine would not pause keep going; the others are paused and the row says so.
    if (!commands->PauseFolder(record.strFilePath)) {
        ShowTip("IDS_UPLOAD_INFO_PAUSE_FAILED");
    }
    record.nState = TASK_PAUSED;
    m_pModel->SetImage(row, GetImageIndexByState(TASK_PAUSED, true));
    m_pModel->SetText(row, 5, "");
    m_pModel->SetText(row, 6, "");
}

void CUICTransmitDlg::DeleteCatalogRow(int row, const tagFileInfo& record) {
    const std::string path = record.strFilePath;
    const bool finished = record.nState == TASK_FINISHED;
    RemoveCatalogRow(row);
    if (finished) {
        std::erase_if(m_vecCatalogDone, [&](const tagCatalogTask& done) { return done.strPath == path; });
        return;
    }
    const tagCatalogTask* entry = CatalogEntry(path);
    if (!entry) {
        return;
    }
    // The records of the folder's files go with it; the folder upload deletes their engine tasks.
    for (const int32_t id : entry->vecFileIDs) {
        m_mapUploadInfo.erase(id);
    }
    m_mapCatalogFigures.erase(path);
    if (IFolderCommands* commands = FolderCommands()) {
        commands->DeleteFolder(path);
    } else {
        LOG_NULL("CUICTransmitDlg::OnButtonDelete", "m_pUICUploadDlg");
        std::erase_if(m_vecCatalogFiles,
                      [&](const tagCatalogTask& queued) { return queued.strPath == path; });
    }
}
