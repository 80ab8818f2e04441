#include "uic/UICUploadFile/transfer/UICProgressDlg.h"

#include <QProgressBar>

#include "function/ToolsHelp.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10025.h"
#include "uic/UICUploadFile/frame/Resource.h"

namespace {

// The skin library's transparency setting 80, read as the share of the bar that stays visible.
constexpr double kBarOpacity = 0.8;
// How far the text widens to the left once the bar is gone.
constexpr int kEndedLeftShift = 200;
constexpr int kEndedRightShift = 100;

}  // namespace

CUICProgressDlg::CUICProgressDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_PROGRESS, parent), m_ui(std::make_unique<Ui::ProgressDlgForm>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    connect(m_ui->buttonClose, &QPushButton::clicked, this, &CUICProgressDlg::OnBnClickedButtonClose);
}

CUICProgressDlg::~CUICProgressDlg() = default;

bool CUICProgressDlg::OnInitDialog() {
    static const char* const kName = "CUICProgressDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    Services::GetSkin().ApplySkin(this, "DlgProgressBar");
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    SetLanguage();
    m_rcText = m_ui->staticText->geometry();
    IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
    if (!mainWnd) {
        LOG_NULL(kName, "pIUICMainWnd");
        return false;
    }
    const QWidget* mainWindow = mainWnd->GetComponentHwnd();
    const QRect main = mainWindow ? mainWindow->frameGeometry() : QRect();
    const QSize own = frameGeometry().size();
    m_rcHome = QRect(
        QPoint(main.left() + main.width() - kHomeRightGap - own.width(), main.top() + kHomeTopGap), own);
    move(m_rcHome.topLeft());
    setWindowOpacity(kBarOpacity);
    EnablePlacementMemory("Nimbra", "UploadPos");
    return true;
}

void CUICProgressDlg::Reset() {
    m_ui->progress->setRange(0, 100);
    m_ui->progress->setValue(0);
    m_ui->staticText->clear();
    m_ui->progress->show();
    m_ui->buttonClose->hide();
    m_ui->staticText->setGeometry(m_rcText);
    move(m_rcHome.topLeft());
    EnablePlacementMemory("Nimbra", "UploadPos");
}

void CUICProgressDlg::ShowProgress(const tagProgressInfo& report) {
    m_ui->progress->setValue(report.nPos);
    m_ui->staticText->setText(ToQString(report.strText));
    if (report.nRunning == 0) {
        m_ui->progress->hide();
        m_ui->buttonClose->show();
        m_ui->staticText->setGeometry(QRect(QPoint(m_rcText.left() - kEndedLeftShift, m_rcText.top()),
                                            QPoint(m_rcText.right() - kEndedRightShift, m_rcText.bottom())));
    }
}

void CUICProgressDlg::OnBnClickedButtonClose() {
    hide();
    SavePlacement();
}

bool CUICProgressDlg::SetLanguage() {
    CToolsHelp::SetWindowTextA(this, "IDS_UPLOAD_PROGRESS_TITLE", "UPLOAD");
    return true;
}

bool CUICProgressDlg::PostDestroyWin() {
    LOG_INFO("CUICProgressDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}
