#include "uic/UICUploadFile/property/UICPropertyDlg.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10007.h"
#include "uic/UICUploadFile/frame/NetDiskFlash.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/frame/WaitCursor.h"
#include "uic/UICUploadFile/target/UICTargetDlg.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"
#include "uic/UICUploadFile/upload/RefusalView.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "uic/UICUploadFile/upload/UploadBatch.h"
#include "uic/UICUploadFile/upload/UploadRules.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace {

constexpr const char* kSection = "UPLOAD";

std::string Text(const char* key) {
    return CToolsHelp::GetString(key, kSection);
}

}  // namespace

CUICPropertyDlg::CUICPropertyDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_PROPERTY, parent),
      m_ui(std::make_unique<Ui::PropertyDlgForm>()),
      m_timers([this](unsigned id) { OnTimer(id); }, this) {
    m_ui->setupUi(this);
    m_pTargetPath = m_ui->editTargetPath;
    m_pTag = m_ui->richeditTag;
    m_pDescription = m_ui->editDescription;
    m_pUpload = m_ui->buttonUpload;
    connect(m_ui->buttonTarget, &QPushButton::clicked, this, [this] { OnBnClickedButtonTarget(); });
    connect(m_ui->buttonPre, &QPushButton::clicked, this, [this] { OnBnClickedButtonPre(); });
    connect(m_pUpload, &QPushButton::clicked, this, [this] { OnBnClickedButtonUpload(); });
}

CUICPropertyDlg::~CUICPropertyDlg() = default;

bool CUICPropertyDlg::OnInitDialog() {
    LOG_FUNCTION("CUICPropertyDlg::OnInitDialog");
    Services::GetSkin().ApplySkin(this, "DlgUpload");
    CResizableDialog::OnInitDialog();
    AnchorControl(m_pTargetPath, ANCHOR_TOPLEFT, ANCHOR_TOPRIGHT);
    AnchorControl(m_ui->buttonTarget, ANCHOR_TOPRIGHT);
    AnchorControl(m_ui->staticTagIconRight, ANCHOR_TOPRIGHT);
    AnchorControl(m_pTag, ANCHOR_TOPLEFT, ANCHOR_TOPRIGHT);
    AnchorControl(m_pDescription, ANCHOR_TOPLEFT, ANCHOR_BOTTOMRIGHT);
    AnchorControl(m_ui->buttonPre, ANCHOR_BOTTOMRIGHT);
    AnchorControl(m_pUpload, ANCHOR_BOTTOMRIGHT);
    SC_ORVA::RegisterWindow(this);
    SetLanguage();
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    return true;
}

bool CUICPropertyDlg::SetLanguage() {
    setWindowTitle(ToQString(Text("IDS_UPLOAD_PROPERTY_TITLE")));
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_TARGET, "IDS_UPLOAD_BUTTON_TARGET", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_STATIC_TAG_HINT, "IDS_UPLOAD_STATIC_ETAG", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_STATIC_DESCRIPTION_HINT, "IDS_UPLOAD_STATIC_CONTENT", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_PRE, "IDS_UPLOAD_BUTTON_PRE", kSection);
    CToolsHelp::SetDlgItemTextA(this, IDC_BUTTON_UPLOAD, "IDS_UPLOAD_BUTTON_UPLOAD", kSection);
    return true;
}

bool CUICPropertyDlg::PostDestroyWin() {
    LOG_INFO("CUICPropertyDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

void CUICPropertyDlg::SetUploadStep(CUICUploadDlg* upload, tagPropertyStep step) {
    m_pDlgUpload = upload;
    m_strCatalogDoc = std::move(step.strCatalogDoc);
    m_uploadInfo = std::move(step.server);
    m_vecFiles = std::move(step.files);
    m_strTargetID = std::move(step.strTargetID);
    m_strTargetPath = std::move(step.strTargetPath);
    m_strCatalogName.clear();
    m_pTargetPath->setText(ToQString(m_strTargetPath));
    m_pTag->setPlainText(ToQString(step.strTag));
    m_pDescription->setPlainText(ToQString(step.strDescription));
}

void CUICPropertyDlg::HideWindow() {
    hide();
}

// --- The target ---

void CUICPropertyDlg::OnBnClickedButtonTarget() {
    LOG_FUNCTION("CUICPropertyDlg::OnBnClickedButtonTarget");
    const CWaitCursor wait;
    if (!m_pDlgTarget) {
        m_pDlgTarget = new CUICTargetDlg(this);
    }
    m_pDlgTarget->SetNewCatalog(m_strTargetID, m_strCatalogName);
    m_pDlgTarget->SetParam(m_strCatalogDoc, 0, 0);
    if (m_pDlgTarget->DoModal() != IDOK) {
        return;
    }
    m_strTargetID = m_pDlgTarget->GetTargetID();
    m_strTargetPath = m_pDlgTarget->GetTargetPath();
    m_pTargetPath->setText(ToQString(m_strTargetPath));
    m_strCatalogName = m_pDlgTarget->GetCatalogName();
}

// --- The previous step ---

void CUICPropertyDlg::OnBnClickedButtonPre() {
    static const char* const kName = "CUICPropertyDlg::OnBnClickedButtonPre";
    LOG_FUNCTION(kName);
    const std::string tag = TagText();
    const std::string description = DescriptionText();
    const std::string targetPath = FromQString(m_pTargetPath->text());
    if (!m_pDlgUpload) {
        LOG_NULL(kName, "m_pDlgUpload");
        return;
    }
    m_pDlgUpload->ReturnFromProperty(tag, description, targetPath, m_vecFiles);
    m_pDlgUpload->show();
    m_pDlgUpload->raise();
    hide();
}

// --- Checks ---

std::string CUICPropertyDlg::TagText() const {
    return FromQString(m_pTag->toPlainText());
}

std::string CUICPropertyDlg::DescriptionText() const {
    return FromQString(m_pDescription->toPlainText());
}

bool CUICPropertyDlg::IsTagLegal() {
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL("CUICPropertyDlg::IsTagLegal", "pIUICLogin");
        return false;
    }
    return ShowTextVerdict(CUploadRules::IsTagLegal(TagText(), login->GetUnsafeWords()), this, m_pUpload,
                           m_pTag, m_pTag);
}

bool CUICPropertyDlg::IsDescriptionLegal() {
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL("CUICPropertyDlg::IsDescriptionLegal", "pIUICLogin");
        return false;
    }
    return ShowTextVerdict(CUploadRules::IsDescriptionLegal(DescriptionText(), login->GetUnsafeWords()), this,
                           m_pUpload, m_pTag, m_pDescription);
}

void CUICPropertyDlg::GetFileProperty() {
    m_strTag = CUploadRules::FormatTag(TagText());
    m_strDescription = DescriptionText();
}

// --- Uploading ---

void CUICPropertyDlg::OnBnClickedButtonUpload() {
    LOG_FUNCTION("CUICPropertyDlg::OnBnClickedButtonUpload");
    const CWaitCursor wait;
    if (!IsTagLegal() || !IsDescriptionLegal()) {
        return;
    }
    CMiniature::CreateMiniature(m_vecFiles, CToolsHelp::GetProgramDir());
    if (!UploadFile()) {
        return;
    }
    // The files are with the engine now: a later step starts from nothing.
    m_vecFiles.clear();
    m_pTag->clear();
    m_pDescription->clear();
    PrepareProgressBar(m_pDlgProgress, this, "CUICPropertyDlg::OnBnClickedButtonUpload");
    hide();
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component || component->ShowTransmit(1) == -1) {
        return;
    }
    WriteTargetPath();
}

void CUICPropertyDlg::WriteTargetPath() {
    const std::string file = CToolsHelp::GetProgramDir() + "config.ini";
    if (!WritePrivateProfileString("PREPATH", "upload", FromQString(m_pTargetPath->text()).c_str(),
                                   file.c_str())) {
        LOG_FAILED("CUICPropertyDlg::WriteTargetPath", "WritePrivateProfileString");
    }
}

bool CUICPropertyDlg::UploadFile() {
    static const char* const kName = "CUICPropertyDlg::UploadFile";
    LOG_FUNCTION(kName);
    GetFileProperty();
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return false;
    }
    if (!CreateUIInstance<CUICUploadComp>()) {
        LOG_NULL(kName, "pUICUpload");
        return false;
    }
    UploadFileList entries = UploadEntries(m_vecFiles, m_strDescription, FromQString(m_pTargetPath->text()));
    m_ullTotalBytes = TotalSize(m_vecFiles);
    m_ullLastBytes = 0;
    if (adapter->GetUIPState() == 0) {
        ShowTipAt(m_pUpload, Text("IDS_UPLOAD_TIP_BUSY"));
        return false;
    }
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return false;
    }
    tagUploadInfo info = m_uploadInfo;
    info.strSSOKey = login->GetLoginString();
    info.strTargetCatalogID = m_strTargetID;
    // A folder made in the target dialog is made under the target with the first file.
    info.strNewCatalogName = m_strCatalogName;
    info.strTag = m_strTag;
    m_setTaskIds.clear();
    if (entries.empty()) {
        return true;
    }
    if (adapter->StartUpload(entries, info, 0) == -1) {
        LOG_FAILED(kName, "StartUpload");
    }
    // Nothing started is no upload: the dialog keeps its files for another try.
    if (CollectTaskIds(entries, m_setTaskIds) == 0) {
        ShowTipAt(m_pUpload, Text("IDS_UPLOAD_TIP_BUSY"));
        return false;
    }
    m_timers.SetTimer(TIMER_PROPERTY_UPLOAD, 1000);
    return true;
}

void CUICPropertyDlg::OnTimer(unsigned id) {
    if (id == TIMER_PROPERTY_UPLOAD) {
        TUploadFile();
    }
}

void CUICPropertyDlg::TUploadFile() {
    static const char* const kName = "CUICPropertyDlg::TUploadFile";
    IUIPUpload* adapter = CreateUIInstance<IUIPUpload>();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    const tagUploadTick tick = PollUploadTasks(*adapter, m_setTaskIds);
    tagProgressInfo report{UploadCompleteText(tick.nSucceeded, tick.nFailed), 100, 0};
    if (tick.bRunning) {
        const uint64_t speed = tick.ullSum > m_ullLastBytes ? tick.ullSum - m_ullLastBytes : 0;
        report.nPos = UploadPercent(tick.ullSum, m_ullTotalBytes);
        report.strText = UploadRunningText(report.nPos, MakePropertySize(speed));
        report.nRunning = 1;
    } else {
        m_timers.KillTimer(TIMER_PROPERTY_UPLOAD);
        NotifyFlashRefresh();
        m_setTaskIds.clear();
    }
    if (m_pDlgProgress) {
        m_pDlgProgress->ShowProgress(report);
    } else {
        LOG_NULL(kName, "m_pDlgProgress");
    }
    m_ullLastBytes = tick.ullSum;
}

void CUICPropertyDlg::NotifyFlashRefresh() {
    // A new folder is known to the page only once it exists: "-1" asks it to read everything again.
    const std::string refreshId = !m_strCatalogName.empty() ? "-1"
                                  : m_strTargetID.empty()   ? "-2"
                                                            : m_strTargetID;
    RequestNetDiskRefresh(refreshId, "CUICPropertyDlg::NotifyFlashRefresh");
}
