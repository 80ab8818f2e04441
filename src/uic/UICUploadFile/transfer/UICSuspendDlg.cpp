#include "uic/UICUploadFile/transfer/UICSuspendDlg.h"

#include <QMenu>
#include <QMouseEvent>

#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "ui_10027.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"

CUICSuspendDlg::CUICSuspendDlg(QWidget* parent)
    : CResizableDialog(IDD_DIALOG_SUSPEND, parent), m_ui(std::make_unique<Ui::SuspendDlgForm>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    CToolsHelp::ShowDlgItem(this, IDC_STATIC_SUSPEND_UPLOAD, SW_HIDE);
    CToolsHelp::ShowDlgItem(this, IDC_STATIC_SUSPEND_DOWNLOAD, SW_HIDE);
}

CUICSuspendDlg::~CUICSuspendDlg() = default;

bool CUICSuspendDlg::OnInitDialog() {
    static const char* const kName = "CUICSuspendDlg::OnInitDialog";
    LOG_FUNCTION(kName);
    Services::GetSkin().ApplySkin(this, "DlgProgressBar");
    CResizableDialog::OnInitDialog();
    SC_ORVA::RegisterWindow(this);
    IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
    if (!mainWnd) {
        LOG_NULL(kName, "pIUICMainWnd");
        return false;
    }
    if (const QWidget* mainWindow = mainWnd->GetComponentHwnd()) {
        const QRect frame = mainWindow->frameGeometry();
        move(frame.left() + kOffsetX, frame.top() + kOffsetY);
    }
    QWidget* logo = GetDlgItem(this, IDC_STATIC_SUSPEND_LOGO);
    if (!logo) {
        LOG_NULL(kName, "pWnd");
        return false;
    }
    logo->setGeometry(rect());
    EnablePlacementMemory("Nimbra", "UploadSuspend");
    return true;
}

void CUICSuspendDlg::SetPercentText(int id, const std::string& text) {
    ShowLogo(SW_HIDE);
    if (QWidget* label = GetDlgItem(this, id)) {
        label->setProperty("text", ToQString(text));
    }
}

void CUICSuspendDlg::RefreshUploadProgress(const std::string& text) {
    SetPercentText(IDC_STATIC_SUSPEND_UPLOAD, text);
}

void CUICSuspendDlg::RefreshDownloadProgress(const std::string& text) {
    SetPercentText(IDC_STATIC_SUSPEND_DOWNLOAD, text);
}

void CUICSuspendDlg::ShowLogo(int showCommand) {
    QWidget* logo = GetDlgItem(this, IDC_STATIC_SUSPEND_LOGO);
    if (!logo) {
        LOG_NULL("CUICSuspendDlg::ShowLogo", "pWnd");
        return;
    }
    const bool showLogo = showCommand == SW_SHOW;
    CToolsHelp::ShowDlgItem(this, IDC_STATIC_SUSPEND_UPLOAD, showLogo ? SW_HIDE : SW_SHOW);
    CToolsHelp::ShowDlgItem(this, IDC_STATIC_SUSPEND_DOWNLOAD, showLogo ? SW_HIDE : SW_SHOW);
    logo->setVisible(showCommand != SW_HIDE);
}

void CUICSuspendDlg::HideWindow() {
    SavePlacement();
    hide();
}

void CUICSuspendDlg::OnMenuHide() {
    HideWindow();
}

void CUICSuspendDlg::OnMenuOpen() {
    static const char* const kName = "CUICSuspendDlg::OnMenuOpen";
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    if (!component) {
        LOG_NULL(kName, "pUICUploadComp");
        return;
    }
    CUICTransmitDlg* transmit = component->GetTransmitDlg();
    if (!transmit) {
        LOG_NULL(kName, "pWnd");
        return;
    }
    transmit->Reset();
    if (transmit->isMinimized()) {
        transmit->showNormal();
        transmit->activateWindow();
        transmit->raise();
    } else if (transmit->isVisible()) {
        transmit->hide();
    } else {
        transmit->show();
        transmit->raise();
    }
}

void CUICSuspendDlg::OnNcRButtonDown(const QPoint& screenPoint) {
    QMenu menu(this);
    menu.addAction(ToQString("打开/隐藏传输中心"))->setData(static_cast<int>(ID_TRANSMIT_OPEN));
    menu.addAction(ToQString("隐藏悬浮窗"))->setData(static_cast<int>(ID_SUSPEND_HIDE));
    switch (Services::GetSkin().TrackPopupMenu(&menu, screenPoint, this)) {
        case ID_TRANSMIT_OPEN:
            OnMenuOpen();
            break;
        case ID_SUSPEND_HIDE:
            OnMenuHide();
            break;
        default:
            break;
    }
}

bool CUICSuspendDlg::SetLanguage() {
    return true;
}

bool CUICSuspendDlg::PostDestroyWin() {
    LOG_INFO("CUICSuspendDlg::PostDestroyWin", "PostDestroyWin");
    return true;
}

// The whole window is its caption: a left press drags it, a right press opens the menu.
void CUICSuspendDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        OnNcRButtonDown(event->globalPosition().toPoint());
        return;
    }
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CUICSuspendDlg::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    }
}

void CUICSuspendDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnMenuOpen();
    }
}
