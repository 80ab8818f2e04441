#include "uic/UICUploadFile/download/DownFileDlg.h"

#include <QGuiApplication>

#include "digest/EditorCredential.h"
#include "function/ToolsHelp.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "ui_10028.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

// The part of a path after its last separator.
std::string NameAndExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The message box of the application, captioned with its name.
void AppMessageBox(const char* text) {
    Services::GetPrompts().MessageBox(nullptr, text, FromQString(QGuiApplication::applicationDisplayName()),
                                      MB_OK);
}

}  // namespace

CDownFileDlg::CDownFileDlg()
    : CDownloadWatchDlg(IDD_DIALOG_DOWNFILE, "CDownFileDlg"), m_ui(std::make_unique<Ui::DownFileDlgForm>()) {
    m_ui->setupUi(this);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CDownFileDlg::OnCancel);
}

CDownFileDlg::~CDownFileDlg() = default;

bool CDownFileDlg::OnInitDialog() {
    static const char* const kName = "CDownFileDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    CDownloadWatchDlg::OnInitDialog();
    setWindowTitle(ToQString("打开文件"));
    return InitWatch(kName, m_ui->progress);
}

void CDownFileDlg::DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior) {
    CDownloadWatchDlg::DownLoad(pInfo, prior);
    if (m_pstInfo) {
        m_ui->staticOpening->setText(ToQString("正在打开：" + NameAndExtension(m_pstInfo->strFilePath)));
    }
}

void CDownFileDlg::OnProgress(long percent) {
    m_ui->progress->setValue(static_cast<int>(percent));
}

void CDownFileDlg::OnFinished() {
    m_ui->progress->setValue(100);
    // First: a message box while the editor is reached would let the timer hand the file over again.
    StopPolling();
    OpenDIY(m_pstInfo->strFilePath.c_str(), 0);
    hide();
    // The file stays where it was downloaded.
    m_pIUIPUpload->DeleteTask(m_pstInfo->nFileID, 0);
    // Its work is done: staying hidden with the flag set would refuse every later new file.
    SetDownloadFlag(0);
    EndDialog();
}

void CDownFileDlg::OnFailed() {
    m_bFailed = 1;
    close();
    AppMessageBox("打开文件失败！");
}

void CDownFileDlg::OnCancel() {
    if (m_bFailed) {
        setWindowTitle(ToQString("打开文件失败！"));
    }
    CDownloadWatchDlg::OnCancel();
}

void CDownFileDlg::OpenDIY(const char* path, long openFlag) {
    static const char* const kName = "CDownFileDlg::OpenDIY";
    LOG_FUNCTION(kName);
    m_pDIY.reset();
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return;
    }
    std::string credential;
    if (login->GetSelectedText(7, credential) != 0) {
        LOG_FAILED(kName, "GetSelectedText");
        return;
    }
    std::string account;
    std::string password;
    login->GetAccountInfo(account, password);
    m_pDIY = CreateToneEditor();
    if (!m_pDIY) {
        LOG_NULL(kName, "m_pDIY");
        AppMessageBox("Error:组件调用失败,请重启Lirra或者重新卸载安装Tonevo！");
        return;
    }
    // A refused login is the editor's to tell; nothing is opened then.
    if (m_pDIY->Login(account, SealEditorCredential(account, credential)) == -1) {
        LOG_FAILED(kName, "Login");
        return;
    }
    if (openFlag == 0) {
        m_pDIY->Open(path ? path : "");
    }
}
