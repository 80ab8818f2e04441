#include "uic/UICUploadFile/download/DownloadWatchDlg.h"

#include <QCloseEvent>
#include <QProgressBar>

#include "function/UIClassFactory.h"
#include "log/LogMacros.h"
#include "uip/UIPUpload/IUIPUpload.h"

CDownloadWatchDlg::CDownloadWatchDlg(int templateId, const char* className)
    : CResizableDialog(templateId, nullptr),
      m_pszClass(className),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {}

CDownloadWatchDlg::~CDownloadWatchDlg() = default;

std::string CDownloadWatchDlg::Name(const char* operation) const {
    return std::string(m_pszClass) + "::" + operation;
}

bool CDownloadWatchDlg::InitWatch(const char* name, QProgressBar* bar) {
    m_pIUIPUpload = CreateUIInstance<IUIPUpload>();
    if (!m_pIUIPUpload) {
        LOG_NULL(name, "m_pIUIPUpload");
        return false;
    }
    if (m_pIUIPUpload->InitUIPComp() != 0) {
        LOG_INFO(name, "初始化UIP失败");
        return false;
    }
    bar->setRange(0, 100);
    bar->setValue(0);
    return true;
}

void CDownloadWatchDlg::DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior) {
    const std::string name = Name("DownLoad");
    LOG_FUNCTION(name.c_str());
    if (!pInfo) {
        LOG_NULL(name.c_str(), "m_pstInfo");
        return;
    }
    m_pstInfo = std::make_unique<tagFileInfo>(*pInfo);
    m_prior = prior;
    m_timers.SetTimer(kPollTimer, kPollPeriodMs);
}

void CDownloadWatchDlg::OnTimer(unsigned id) {
    if (id != kPollTimer || !m_pstInfo) {
        return;
    }
    if (!m_pIUIPUpload) {
        LOG_NULL(Name("OnTimer").c_str(), "m_pIUIPUpload");
        return;
    }
    switch (m_pstInfo->nState) {
        case TASK_WAITING:
        case TASK_RUNNING: {
            long percent = 0;
            m_pIUIPUpload->GetDownLOadProgress(percent, *m_pstInfo);
            OnProgress(percent);
            break;
        }
        case TASK_FINISHED:
            OnFinished();
            break;
        case TASK_FAILED:
            OnFailed();
            break;
        default:
            break;
    }
}

void CDownloadWatchDlg::OnCancel() {
    const std::string name = Name("OnCancel");
    LOG_FUNCTION(name.c_str());
    if (m_bEnded) {
        return;
    }
    StopPolling();
    if (m_pstInfo && m_pstInfo->nState != TASK_FINISHED) {
        if (m_pIUIPUpload) {
            m_pIUIPUpload->DeleteTask(m_pstInfo->nFileID, 0);
        }
        // The engine removes the bytes it was receiving with the task; a file at the path is removed
        // only when this download made it.
        m_prior.RemoveNewFile(m_pstInfo->strFilePath);
    }
    SetBusy(0);
    EndDialog();
}

void CDownloadWatchDlg::EndDialog() {
    m_bEnded = true;
    hide();
    deleteLater();
}

void CDownloadWatchDlg::closeEvent(QCloseEvent* event) {
    // Closing the window gives the download up.
    OnCancel();
    event->accept();
}

void CDownloadWatchDlg::reject() {
    close();
}
