#include "uic/UICUploadFile/download/UICPrgDlg.h"

#include <QFile>
#include <QMouseEvent>
#include <QWindow>

#include "function/ToolsHelp.h"
#include "host/HostIds.h"
#include "host/IUICUpload.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "ui_1014.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uip/UIPUpload/IUIPUpload.h"

CUICPrgDlg::CUICPrgDlg()
    : CDownloadWatchDlg(IDD_DIALOG_PRG, "CUICPrgDlg"), m_ui(std::make_unique<Ui::PrgDlgForm>()) {
    m_ui->setupUi(this);
    connect(m_ui->buttonNext, &QPushButton::clicked, this, &CUICPrgDlg::OnBnClickedNext);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CUICPrgDlg::OnBnClickedCancle);
}

CUICPrgDlg::~CUICPrgDlg() = default;

bool CUICPrgDlg::OnInitDialog() {
    static const char* const kName = "CUICPrgDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    CDownloadWatchDlg::OnInitDialog();
    m_pIUICUpload = GetHostInterface<IUICUpload>(IID_IUICUpload);
    if (!m_pIUICUpload) {
        LOG_NULL(kName, "m_pIUICUpload");
        return false;
    }
    if (!InitWatch(kName, m_ui->progress)) {
        return false;
    }
    m_ui->buttonNext->hide();
    return true;
}

void CUICPrgDlg::OnProgress(long percent) {
    QProgressBar* bar = m_ui->progress;
    bar->setValue(static_cast<int>(percent));
    const int span = bar->maximum() - bar->minimum();
    const int shown = span > 0 ? (bar->value() - bar->minimum()) * 100 / span : 0;
    m_ui->staticPercent->setText(QString::number(shown) + " %");
}

void CUICPrgDlg::OnFinished() {
    m_ui->progress->setValue(100);
    m_ui->buttonNext->show();
    m_ui->staticPercent->setText(ToQString("下载完成,点击下一步开始安装…"));
    StopPolling();
}

void CUICPrgDlg::OnFailed() {
    close();
}

void CUICPrgDlg::OnBnClickedNext() {
    LOG_FUNCTION("CUICPrgDlg::OnBnClickedNext");
    // A file that cannot be opened counts as empty.
    QFile installer(m_pstInfo ? ToQString(m_pstInfo->strFilePath) : QString());
    const qint64 length = installer.open(QIODevice::ReadOnly) ? installer.size() : 0;
    installer.close();
    if (length > 0) {
        CToolsHelp::OpenFile(m_pstInfo->strFilePath);
    } else {
        Services::GetPrompts().MessageBox(this, "请检查是否正确下载网络爬虫！", "安装网络爬虫出错",
                                          MB_OK | MB_ICONWARNING);
    }
    OnCancel();
}

void CUICPrgDlg::OnBnClickedCancle() {
    OnCancel();
}

void CUICPrgDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // Any point moves the dialog as its caption would; by hand where the window system cannot.
    QWindow* window = windowHandle();
    m_dragOffset.reset();
    if (!window || !window->startSystemMove()) {
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void CUICPrgDlg::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && m_dragOffset) {
        move(event->globalPosition().toPoint() - *m_dragOffset);
    }
}
