#include "uic/UICUploadFile/skin/UICDownLoadSkinDlg.h"

#include <QCloseEvent>
#include <filesystem>
#include <new>
#include <set>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "host/IUICUpload.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "ui_1006.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

// Display-name keys (section "MAINWND") by skin id.
constexpr const char* kSkinNameKeys[CUICDownLoadSkinDlg::kSkinCount] = {
    "IDC_MAINWND_SKIN_BLUE",  "IDC_MAINWND_SKIN_PURPLE", "IDC_MAINWND_SKIN_GREE",
    "IDC_MAINWND_SKIN_APPLE", "IDC_MAINWND_SKIN_BLUEI",  "IDC_MAINWND_SKIN_BLUEII",
    "IDC_MAINWND_SKIN_PINK",  "IDC_MAINWND_SKIN_SALMON", "IDC_MAINWND_SKIN_SAND"};

std::set<CUICDownLoadSkinDlg*>& LiveDialogs() {
    static std::set<CUICDownLoadSkinDlg*> dialogs;
    return dialogs;
}

std::string InformationCaption() {
    return CToolsHelp::GetString("IDS_GLOBAL_INFO_INFORMATION", "GLOBAL");
}

}  // namespace

CUICDownLoadSkinDlg::CUICDownLoadSkinDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_DOWNLOADSKIN, parent),
      m_ui(std::make_unique<Ui::DownLoadSkinForm>()),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {
    m_ui->setupUi(this);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CUICDownLoadSkinDlg::FinishSkinDownload);
    LiveDialogs().insert(this);
}

CUICDownLoadSkinDlg::~CUICDownLoadSkinDlg() {
    m_timers.KillAll();
    LiveDialogs().erase(this);
}

void CUICDownLoadSkinDlg::DestroyAll() {
    const std::set<CUICDownLoadSkinDlg*> dialogs = LiveDialogs();
    for (CUICDownLoadSkinDlg* dialog : dialogs) {
        delete dialog;
    }
}

bool CUICDownLoadSkinDlg::OnInitDialog() {
    static const char* const kName = "CUICDownLoadSkinDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    m_pIUIPUpload = CreateUIInstance<IUIPUpload>();
    if (!m_pIUIPUpload) {
        LOG_NULL(kName, "m_pIUIPUpload");
        return false;
    }
    m_pIUICUpload = GetHostInterface<IUICUpload>(IID_IUICUpload);
    if (!m_pIUICUpload) {
        LOG_NULL(kName, "m_pIUICUpload");
        return false;
    }
    if (m_pIUIPUpload->InitUIPComp() != 0) {
        LOG_INFO(kName, "初始化UIP失败");
        return false;
    }
    SetLanguage();
    return true;
}

void CUICDownLoadSkinDlg::StartDownLoad(const tagFileInfo& record, long skinId) {
    static const char* const kName = "CUICDownLoadSkinDlg::StartDownLoad";
    LOG_FUNCTION(kName);
    m_pstInfo.reset(new (std::nothrow) tagFileInfo(record));
    if (!m_pstInfo) {
        LOG_NULL(kName, "m_pstInfo");
        return;
    }
    m_nSkinId = skinId;
    m_ui->staticSkinName->setText(ToQString(GetSkinName(skinId)));
    if (m_nTimer == 0) {
        m_nTimer = m_timers.SetTimer(kPollTimer, kPollPeriod);
    }
}

std::string CUICDownLoadSkinDlg::GetSkinName(long skinId) {
    return CToolsHelp::GetString(kSkinNameKeys[skinId >= 0 && skinId < kSkinCount ? skinId : 0], "MAINWND");
}

void CUICDownLoadSkinDlg::ReportFailure(long skinId) {
    Services::GetPrompts().MessageBox(
        nullptr, GetSkinName(skinId) + CToolsHelp::GetString("IDS_UPLOAD_DOWNLOADSKIN_FAILED", "UPLOAD"),
        InformationCaption(), MB_OK | MB_ICONINFORMATION);
}

void CUICDownLoadSkinDlg::DeleteTask() {
    if (m_pIUIPUpload && m_pstInfo) {
        m_pIUIPUpload->DeleteTask(m_pstInfo->nFileID, 0);
    }
}

void CUICDownLoadSkinDlg::OnTimer(unsigned id) {
    if (!m_pIUIPUpload) {
        LOG_NULL("CUICDownLoadSkinDlg::OnTimer", "m_pIUIPUpload");
        return;
    }
    if (id != kPollTimer || !m_pstInfo) {
        return;
    }
    switch (m_pstInfo->nState) {
        case TASK_FINISHED:
            m_ui->progress->setValue(100);
            hide();
            KillPollTimer();
            if (!InstallSkin()) {
                // A skin that could not be installed whole is a failed download, not a skin to apply.
                m_pstInfo->nState = TASK_FAILED;
                ReportFailure(m_nSkinId);
            }
            FinishSkinDownload();
            break;
        case TASK_RUNNING:
        case TASK_WAITING: {
            long percent = 0;
            m_pIUIPUpload->GetDownLOadProgress(percent, *m_pstInfo);
            if (m_pstInfo->nState == TASK_RUNNING && m_pstInfo->ullFileSize != 0) {
                m_ui->progress->setValue(static_cast<int>(percent));
            }
            break;
        }
        case TASK_FAILED:
        case TASK_PAUSED:
        case TASK_OTHER:
            hide();
            KillPollTimer();
            ReportFailure(m_nSkinId);
            FinishSkinDownload();
            break;
        default:
            // A new record or an engine error: the window stays, without polling.
            KillPollTimer();
            break;
    }
}

bool CUICDownLoadSkinDlg::InstallSkin() {
    return m_pIUICUpload &&
           m_pIUICUpload->UnZip(m_pstInfo->strFilePath, CToolsHelp::GetProgramDir() + "skin") == 0;
}

void CUICDownLoadSkinDlg::FinishSkinDownload() {
    LOG_FUNCTION("CUICDownLoadSkinDlg::FinishSkinDownload");
    // The question below runs its own event loop; a second close meanwhile must not end it twice.
    if (m_bFinished) {
        return;
    }
    m_bFinished = true;
    long apply = 0;
    if (m_pstInfo && m_pstInfo->nState == TASK_FINISHED) {
        const int answer = Services::GetPrompts().MessageBox(
            nullptr,
            GetSkinName(m_nSkinId) + CToolsHelp::GetString("IDS_UPLOAD_DOWNLOADSKIN_SUCCEED", "UPLOAD"),
            InformationCaption(), MB_YESNO | MB_ICONINFORMATION);
        apply = answer == IDNO ? 0 : 1;
    }
    if (m_pIUICUpload) {
        m_pIUICUpload->DownloadSkinResult(m_nSkinId, apply);
    }
    DeleteTask();
    if (m_pstInfo) {
        // The archive, or what arrived of it.
        std::error_code ignored;
        std::filesystem::remove(Gb18030ToUtf8(m_pstInfo->strFilePath), ignored);
    }
    KillPollTimer();
    hide();
    deleteLater();
}

void CUICDownLoadSkinDlg::KillPollTimer() {
    if (m_nTimer != 0) {
        m_timers.KillTimer(m_nTimer);
        m_nTimer = 0;
    }
}

void CUICDownLoadSkinDlg::closeEvent(QCloseEvent* event) {
    FinishSkinDownload();
    event->accept();
}

void CUICDownLoadSkinDlg::reject() {
    FinishSkinDownload();
}

bool CUICDownLoadSkinDlg::SetLanguage() {
    CToolsHelp::SetWindowTextA(this, "IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADING", "UPLOAD");
    // The skin's name is a language text too.
    if (m_pstInfo) {
        m_ui->staticSkinName->setText(ToQString(GetSkinName(m_nSkinId)));
    }
    return true;
}

bool CUICDownLoadSkinDlg::PostDestroyWin() {
    return true;
}
