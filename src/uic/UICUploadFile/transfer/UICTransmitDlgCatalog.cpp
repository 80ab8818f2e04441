// The transfer list's side of folder uploads: one row per folder task, showing the progress of the folder
// as its files are sent one after the other, the folder's own refresh timer, and the Start, Pause and
// Delete commands on those rows.

#include <QTableView>
#include <algorithm>
#include <unordered_set>

#include "function/ToolsHelp.h"
#include "log/LogMacros.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
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
    // A folder that has just ended is finished with the figures it ended with, before they start over.
    if (m_nCurView == IDC_VIEW_UPLOADING && !m_bCatalogPaused) {
        RefreshCatalogRows(true);
        m_pModel->FlushChanges();
    }
    m_ullCurBytes = 0;
    m_nCatalogUsedTime = 0;
}

void CUICTransmitDlg::CreatCatalogRun(const CatalogTaskList& files) {
    m_vecCatalogFiles = files;
    m_vecRemovedPaths.clear();
    // Rows belong to the uploading view; another view gets them when the user comes back to it.
    if (m_nCurView != IDC_VIEW_UPLOADING) {
        return;
    }
    for (const tagCatalogTask& entry : m_vecCatalogFiles) {
        const int row = FindCatalogRow(entry.strPath);
        if (row >= 0 && (entry.nState == TASK_PAUSED || entry.nState == TASK_NEW)) {
            RemoveCatalogRow(row);
        } else if (row < 0 && entry.nState != TASK_FINISHED && entry.nState != TASK_NEW) {
            AppendCatalogRow(entry);
        }
    }
    m_pModel->FlushChanges();
}

void CUICTransmitDlg::GetCatalogResult(bool& removedAny, bool& currentRemoved) {
    removedAny = m_bCatalogRemoved;
    currentRemoved = m_bCurCatalogRemoved;
    m_bCatalogRemoved = false;
    m_bCurCatalogRemoved = false;
}

void CUICTransmitDlg::OnCatalogTimer() {
    // Timer 1000 follows every upload while it runs, the folder's file included.
    if (m_bCatalogPaused || m_bUploadRefresh) {
        return;
    }
    bool show = false;
    const auto found = m_mapUploadInfo.find(m_nCurTaskID);
    if (m_nCurTaskID != 0 && found != m_mapUploadInfo.end()) {
        const int32_t state = found->second.nState;
        tagFileInfo info = found->second;
        if ((state == TASK_WAITING || state == TASK_RUNNING) &&
            m_pIUIPUpload->GetProgress(m_nCurTaskID, 1, info) == 0) {
            ComputeProgress(m_nCurTaskID, info, true);
        }
        show = KeepsFolderShown(state);
    }
    if (m_bCatalogStop) {
        m_timers.KillTimer(kCatalogTimer);
        m_bCatalogStop = false;
        ShowProgress(0.0, true);
        m_bUploadRefresh = false;
        setVisible(show);
    }
}

void CUICTransmitDlg::RefreshCatalogRows(bool endedOnly) {
    if (m_vecCatalogFiles.empty() || m_bCatalogPaused) {
        return;
    }
    const std::unordered_set<std::string> removed(m_vecRemovedPaths.begin(), m_vecRemovedPaths.end());
    for (size_t k = 0; k < m_vecCatalogFiles.size(); ++k) {
        const tagCatalogTask& entry = m_vecCatalogFiles[k];
        const int row = FindCatalogRow(entry.strPath);
        if (row < 0) {
            if (!endedOnly && entry.nState != TASK_FINISHED && entry.nState != TASK_NEW &&
                !removed.count(entry.strPath)) {
                AppendCatalogRow(entry);
            }
            continue;
        }
        switch (entry.nState) {
            case TASK_RUNNING:
                if (!endedOnly) {
                    RefreshCatalogRow(row);
                }
                break;
            case TASK_FINISHED:
                FinishCatalogRow(k, row);
                RemoveCatalogRow(row);
                break;
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

uint64_t CUICTransmitDlg::CatalogRowSize(int row) {
    tagFileInfo* record = m_pModel->Record(row);
    if (record->ullCatalogSize == 0) {
        const auto found =
            std::find_if(m_vecCatalogSizes.begin(), m_vecCatalogSizes.end(),
                         [&](const tagCatalogSize& size) { return size.strPath == record->strFilePath; });
        if (found != m_vecCatalogSizes.end() && found->ullSize != 0) {
            record->ullCatalogSize = found->ullSize;
            m_pModel->SetText(row, 3, MakeTransferSize(found->ullSize));
        }
    }
    return record->ullCatalogSize;
}

void CUICTransmitDlg::RefreshCatalogRow(int row) {
    const uint64_t size = CatalogRowSize(row);
    if (size != 0) {
        const double percent = ComputePercent(m_ullCurBytes, size);
        ShowProgress(percent, true);
        if (percent == 100.0) {
            ShowProgress(0.0, true);
        }
        // Bytes beyond the size (a file that grew since the scan) leave nothing to wait for.
        if (m_ullCurDelta != 0) {
            const uint64_t left = size > m_ullCurBytes ? size - m_ullCurBytes : 0;
            m_pModel->SetText(row, 6, FormatTime(static_cast<int64_t>(left / m_ullCurDelta)));
        }
        m_pModel->SetText(row, 4, PercentText(percent));
    }
    m_pModel->SetText(row, 5, m_strCurSpeed);
    m_pModel->SetText(row, 9, m_strCurNetPath);
    // With timer 1000 running the rows are refreshed twice a second; the used time counts seconds.
    m_bUsedTimeToggle = m_timers.IsActive(kUploadTimer) ? !m_bUsedTimeToggle : true;
    if (m_bUsedTimeToggle) {
        m_pModel->SetText(row, 7, FormatTime(m_nCatalogUsedTime));
        ++m_nCatalogUsedTime;
    }
    m_pModel->SetImage(row, GetImageIndexByState(TASK_RUNNING, true));
    m_pModel->Record(row)->nState = TASK_RUNNING;
}

void CUICTransmitDlg::FinishCatalogRow(size_t k, int row) {
    const uint64_t size = CatalogRowSize(row);
    ShowProgress(0.0, true);
    tagCatalogTask& entry = m_vecCatalogFiles[k];
    entry.ullSize = size;
    entry.strNetPath = m_strCurNetPath;
    entry.strSpeed = m_strCurSpeed;
    entry.nUsedTime = m_nCatalogUsedTime;
    const bool counted =
        std::any_of(m_vecCatalogDone.begin(), m_vecCatalogDone.end(),
                    [&](const tagCatalogTask& done) { return done.strPath == entry.strPath; });
    if (counted) {
        return;
    }
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
            enabling.pause = enabling.pause || entry.nState == TASK_RUNNING;
            enabling.start = enabling.start || entry.nState == TASK_PAUSED;
            return;
        }
    }
}

void CUICTransmitDlg::StartCatalogRow(int row, tagFileInfo& record) {
    if (record.nState != TASK_PAUSED) {
        return;
    }
    int32_t state = TASK_WAITING;
    if (record.strFilePath == m_strPausedCatalogPath) {
        if (m_nCurTaskID != 0 && m_pIUIPUpload->ResumeTask(m_nCurTaskID, 1) != 0) {
            ShowTip("IDS_UPLOAD_INFO_PAUSE_FAILED");
            return;
        }
        m_bCatalogPaused = false;
        m_strPausedCatalogPath.clear();
        state = TASK_RUNNING;
    }
    record.nState = state;
    if (tagCatalogTask* entry = CatalogEntry(record.strFilePath)) {
        entry->nState = state;
    }
    m_pModel->SetImage(row, GetImageIndexByState(state, true));
}

void CUICTransmitDlg::PauseCatalogRow(int row, tagFileInfo& record) {
    if (record.nState == TASK_RUNNING) {
        if (m_nCurTaskID != 0 && m_pIUIPUpload->PauseTask(m_nCurTaskID, 1) != 0) {
            ShowTip("IDS_UPLOAD_INFO_PAUSE_FAILED");
            return;
        }
        m_bCatalogPaused = true;
        m_strPausedCatalogPath = record.strFilePath;
    } else if (record.nState != TASK_WAITING) {
        return;
    }
    record.nState = TASK_PAUSED;
    // The entry follows, so that Start is offered for the row again.
    if (tagCatalogTask* entry = CatalogEntry(record.strFilePath)) {
        entry->nState = TASK_PAUSED;
    }
    m_pModel->SetImage(row, GetImageIndexByState(TASK_PAUSED, true));
    m_pModel->SetText(row, 5, "");
    m_pModel->SetText(row, 6, "");
}

void CUICTransmitDlg::DeleteCatalogRow(int row, const tagFileInfo& record) {
    const std::string path = record.strFilePath;
    if (record.nState == TASK_FINISHED) {
        std::erase_if(m_vecCatalogDone, [&](const tagCatalogTask& done) { return done.strPath == path; });
    } else if (const tagCatalogTask* entry = CatalogEntry(path)) {
        // Kept until the folder upload has taken them: two deletes within one of its ticks both count.
        m_vecRemovedPaths.push_back(path);
        m_bCatalogRemoved = true;
        if (entry->nState == TASK_RUNNING || path == m_strPausedCatalogPath) {
            if (m_nCurTaskID != 0) {
                m_pIUIPUpload->DeleteTask(m_nCurTaskID, 1);
            }
            m_bCurCatalogRemoved = true;
            m_bCatalogPaused = false;
            m_strPausedCatalogPath.clear();
        }
    }
    RemoveCatalogRow(row);
}
