#include "uic/UICUploadFile/tasklist/UploadTaskListDlg.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10040.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferText.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

enum Column { kColumnName, kColumnSize, kColumnProgress, kColumnStatus };

IUIPUpload* Adapter(const char* operation) {
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(operation, "pIUIPUpload");
    }
    return adapter;
}

// What the status column says of a record: its state, or why it waits or failed.
std::string StatusText(const tagFileInfo& record, IUIPUpload& adapter) {
    switch (record.nState) {
        case TASK_WAITING: {
            const long seconds = adapter.GetNextTry(record.nFileID, 1);
            return seconds >= 0 ? NextTryText(seconds) : UploadText("IDS_UPLOAD_TASKLIST_STATE_WAITING");
        }
        case TASK_PAUSED:
            return UploadText("IDS_UPLOAD_TASKLIST_STATE_PAUSED");
        case TASK_RUNNING:
            return UploadText("IDS_UPLOAD_TASKLIST_STATE_RUNNING");
        case TASK_FINISHED:
            return UploadText("IDS_UPLOAD_TASKLIST_STATE_FINISHED");
        case TASK_OTHER:
            return UploadText("IDS_UPLOAD_TASKLIST_STATE_SYNC");
        default:
            return GetErrorInfoByCode(adapter.GetErrorCode(record.nFileID, 1));
    }
}

}  // namespace

CUploadTaskListDlg::CUploadTaskListDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_UPLOADTASKLIST, parent),
      m_ui(std::make_unique<Ui::UploadTaskListForm>()),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {
    m_ui->setupUi(this);
}

CUploadTaskListDlg::~CUploadTaskListDlg() {
    m_timers.KillAll();
}

bool CUploadTaskListDlg::OnInitDialog() {
    LOG_FUNCTION("CUploadTaskListDlg::OnInitDialog");
    Services::GetSkin().ApplySkin(this, "DlgTransmit");
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    AnchorControl(GetDlgItem(this, IDC_LIST_UPLOADTASK), ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    List()->horizontalHeader()->resizeSection(kColumnName, 220);
    SetLanguage();
    Reload();
    return true;
}

QTableWidget* CUploadTaskListDlg::List() const {
    return m_ui->listTask;
}

bool CUploadTaskListDlg::SetLanguage() {
    CToolsHelp::SetWindowTextA(this, "IDS_UPLOAD_TASKLIST_TITLE", "UPLOAD");
    static constexpr const char* kHeadings[] = {
        "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILENAME", "IDS_UPLOAD_TRANSMIT_LISTHEAD_FILESIZE",
        "IDS_UPLOAD_TRANSMIT_LISTHEAD_PROGRESS", "IDS_UPLOAD_TRANSMIT_LISTHEAD_STATUS"};
    QStringList headings;
    for (const char* key : kHeadings) {
        headings << ToQString(UploadText(key));
    }
    List()->setHorizontalHeaderLabels(headings);
    for (int row = 0; row < RowCount(); ++row) {
        WriteRow(row);
    }
    return true;
}

bool CUploadTaskListDlg::PostDestroyWin() {
    LOG_INFO("CUploadTaskListDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

const tagFileInfo* CUploadTaskListDlg::Record(int row) const {
    return row >= 0 && row < RowCount() ? m_vecRecords[static_cast<size_t>(row)].get() : nullptr;
}

void CUploadTaskListDlg::Reload() {
    static const char* const kName = "CUploadTaskListDlg::Reload";
    IUIPUpload* adapter = Adapter(kName);
    FileInfoMap tasks;
    if (!adapter || adapter->GetTaskList(1, tasks) != 0) {
        return;
    }
    // Last to first, so that a removal leaves the rows still to come where they are.
    for (int row = RowCount() - 1; row >= 0; --row) {
        tagFileInfo& record = *m_vecRecords[static_cast<size_t>(row)];
        const auto found = tasks.find(record.nFileID);
        if (found == tasks.end()) {
            RemoveRow(row);
            continue;
        }
        record = std::move(found->second);
        tasks.erase(found);
        WriteRow(row);
    }
    for (auto& [id, record] : tasks) {
        AppendRow(std::move(record));
    }
}

void CUploadTaskListDlg::AppendRow(tagFileInfo record) {
    const int row = RowCount();
    m_vecRecords.push_back(std::make_unique<tagFileInfo>(std::move(record)));
    List()->insertRow(row);
    WriteRow(row);
}

void CUploadTaskListDlg::RemoveRow(int row) {
    List()->removeRow(row);
    m_vecRecords.erase(m_vecRecords.begin() + row);
}

void CUploadTaskListDlg::WriteRow(int row) {
    IUIPUpload* adapter = Adapter("CUploadTaskListDlg::WriteRow");
    if (!adapter) {
        return;
    }
    const tagFileInfo& record = *m_vecRecords[static_cast<size_t>(row)];
    const std::string texts[] = {record.strFileName, MakeSize(record.ullFileSize), record.strProgress,
                                 StatusText(record, *adapter)};
    for (int column = kColumnName; column <= kColumnStatus; ++column) {
        QTableWidgetItem* item = List()->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            List()->setItem(row, column, item);
        }
        item->setText(ToQString(texts[column]));
    }
}

bool CUploadTaskListDlg::AnyRowInState(int32_t state) const {
    return std::any_of(m_vecRecords.begin(), m_vecRecords.end(),
                       [&](const auto& record) { return record->nState == state; });
}

bool CUploadTaskListDlg::IsFileOnUploading(int32_t fileId) const {
    return std::any_of(m_vecRecords.begin(), m_vecRecords.end(), [&](const auto& record) {
        return record->nState == TASK_RUNNING && (fileId == 0 || record->nFileID == fileId);
    });
}

void CUploadTaskListDlg::SavePauseId() {
    static const char* const kName = "CUploadTaskListDlg::SavePauseId";
    LOG_FUNCTION(kName);
    Reload();
    m_vecPauseId.clear();
    for (const auto& record : m_vecRecords) {
        if (record->nState == TASK_PAUSED) {
            m_vecPauseId.push_back(record->nFileID);
        }
    }
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component) {
        LOG_NULL(kName, "pUICUpload");
        return;
    }
    component->SavePauseId(m_vecPauseId);
}

void CUploadTaskListDlg::OnNetworkLost() {
    LOG_FUNCTION("CUploadTaskListDlg::OnNetworkLost");
    Reload();
    m_vecTaskId.clear();
    for (const auto& record : m_vecRecords) {
        if (record->nState == TASK_WAITING || record->nState == TASK_RUNNING) {
            m_vecTaskId.push_back(record->nFileID);
        }
    }
}

void CUploadTaskListDlg::OnFileTaskContinue() {
    static const char* const kName = "CUploadTaskListDlg::OnFileTaskContinue";
    LOG_FUNCTION(kName);
    Reload();  // the engine has just confirmed its tasks: their rows show it now
    IUIPUpload* adapter = Adapter(kName);
    if (!adapter) {
        return;
    }
    const auto listed = [](const std::vector<long>& ids, long id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    bool continued = false;
    for (const auto& record : m_vecRecords) {
        const bool waitsForSync = record->nState == TASK_OTHER && !listed(m_vecPauseId, record->nFileID);
        const bool pausedByTheLoss = record->nState == TASK_PAUSED && listed(m_vecTaskId, record->nFileID);
        if (!waitsForSync && !pausedByTheLoss) {
            continue;
        }
        continued = true;
        if (adapter->ContUpload(record->nFileID) == -1) {
            m_tip.PopToolTip(UploadText("IDS_UPLOAD_INFO_CONTINUE_FAILED"), nullptr, 1);
        }
    }
    m_vecTaskId.clear();
    if (continued && !m_timers.IsActive(kContinueTimer)) {
        m_timers.SetTimer(kContinueTimer, kContinuePeriod);
    }
}

void CUploadTaskListDlg::ClearAll() {
    static const char* const kName = "CUploadTaskListDlg::ClearAll";
    LOG_FUNCTION(kName);
    m_timers.KillAll();
    Reload();  // what runs now, not at the last refresh
    IUIPUpload* adapter = Adapter(kName);
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (adapter && m_vecRecords[static_cast<size_t>(row)]->nState == TASK_RUNNING) {
            adapter->PauseUpload(m_vecRecords[static_cast<size_t>(row)]->nFileID);
        }
        RemoveRow(row);
    }
    m_vecTaskId.clear();
}

void CUploadTaskListDlg::OnTimer(unsigned id) {
    if (id != kContinueTimer && id != kRefreshTimer) {
        return;
    }
    Reload();
    if (id == kContinueTimer && !AnyRowInState(TASK_OTHER)) {
        m_timers.KillTimer(kContinueTimer);
    }
}

void CUploadTaskListDlg::showEvent(QShowEvent* event) {
    CResizableDialog::showEvent(event);
    Reload();
    m_timers.SetTimer(kRefreshTimer, kRefreshPeriod);
}

void CUploadTaskListDlg::hideEvent(QHideEvent* event) {
    m_timers.KillTimer(kRefreshTimer);
    CResizableDialog::hideEvent(event);
}
