#include "MainWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenuBar>
#include <QStatusBar>

#include "FlashRequest.h"
#include "platform/CodePage.h"
#include "platform/WinBase.h"

namespace nimbra::app {

MainWindow::MainWindow(HostSession& session)
    : HostComponent(IID_IUICMainWnd),
      m_session(session),
      m_skins(QString::fromStdString(session.ProgramDir())),
      m_page(new NetDiskPage(session, this)) {
    setCentralWidget(m_page);
    resize(960, 620);
    BuildMenus();
    Retranslate();
    if (const auto blue = m_skins.StyleSheet(0))
        qApp->setStyleSheet(*blue);
    // The session has told the component already; the window follows.
    connect(&session.Network(), &NetworkWatcher::reachabilityChanged, this, &MainWindow::ShowNetworkState);
}

void MainWindow::BuildMenus() {
    m_fileMenu = menuBar()->addMenu(QString());
    m_upload = m_fileMenu->addAction({}, m_page, [this] { m_page->ShowUploadDialog(); });
    m_uploadHere = m_fileMenu->addAction({}, m_page, [this] {
        const QStringList files = QFileDialog::getOpenFileNames(this, m_uploadHere->text().remove('&'));
        if (!files.isEmpty())
            m_page->UploadToCurrent(files, {});
    });
    m_transfers = m_fileMenu->addAction({}, m_page, [this] { m_page->ShowTransfers(); });
    m_uploadTasks = m_fileMenu->addAction({}, m_page, [this] { m_page->ShowUploadTasks(); });
    m_download = m_fileMenu->addAction({}, m_page, [this] { m_page->DownloadSelection(); });
    m_refresh = m_fileMenu->addAction({}, m_page, [this] { m_page->Reload(); });
    m_refresh->setShortcut(QKeySequence::Refresh);
    m_fileMenu->addSeparator();
    m_signOut = m_fileMenu->addAction({}, this, [this] { emit signOutRequested(); });
    m_quit = m_fileMenu->addAction({}, this, &QWidget::close);
    m_quit->setShortcut(QKeySequence::Quit);

    m_networkMenu = menuBar()->addMenu(QString());
    m_networkLost = m_networkMenu->addAction({}, this, [this] { SimulateNetwork(false); });
    m_networkBack = m_networkMenu->addAction({}, this, [this] { SimulateNetwork(true); });
    m_networkBack->setEnabled(false);

    m_viewMenu = menuBar()->addMenu(QString());
    m_skinMenu = m_viewMenu->addMenu(QString());
    auto* skins = new QActionGroup(this);
    for (long id = 0; id < SkinStyles::kCount; ++id) {
        QAction* action = m_skinMenu->addAction({}, this, [this, id] { ChooseSkin(id); });
        action->setCheckable(true);
        action->setChecked(id == 0);
        skins->addAction(action);
        m_skinActions << action;
    }
    m_languageMenu = m_viewMenu->addMenu(QString());
    auto* languages = new QActionGroup(this);
    for (const QString& language : m_session.Texts().Languages()) {
        QAction* action =
            m_languageMenu->addAction(language, this, [this, language] { SwitchLanguage(language); });
        action->setCheckable(true);
        action->setChecked(language == m_session.Texts().Language());
        languages->addAction(action);
    }
}

void MainWindow::Retranslate() {
    LanguageTexts& texts = m_session.Texts();
    setWindowTitle(texts.Host("IDS_HOST_TITLE"));
    m_fileMenu->setTitle(texts.Host("IDS_HOST_MENU_FILE"));
    m_upload->setText(texts.Host("IDS_HOST_MENU_UPLOAD"));
    m_uploadHere->setText(texts.Host("IDS_HOST_MENU_UPLOAD_HERE"));
    m_transfers->setText(texts.Host("IDS_HOST_MENU_TRANSFERS"));
    m_uploadTasks->setText(texts.Host("IDS_HOST_MENU_UPLOAD_TASKS"));
    m_download->setText(texts.Host("IDS_HOST_MENU_DOWNLOAD"));
    m_refresh->setText(texts.Host("IDS_HOST_MENU_REFRESH"));
    m_signOut->setText(texts.Host("IDS_HOST_MENU_LOGOUT"));
    m_quit->setText(texts.Host("IDS_HOST_MENU_QUIT"));
    m_networkMenu->setTitle(texts.Host("IDS_HOST_MENU_NETWORK"));
    m_networkLost->setText(texts.Host("IDS_HOST_MENU_NETWORK_LOST"));
    m_networkBack->setText(texts.Host("IDS_HOST_MENU_NETWORK_BACK"));
    m_viewMenu->setTitle(texts.Host("IDS_HOST_MENU_VIEW"));
    m_skinMenu->setTitle(texts.Host("IDS_HOST_MENU_SKINS"));
    m_languageMenu->setTitle(texts.Host("IDS_HOST_MENU_LANGUAGE"));
    for (long id = 0; id < SkinStyles::kCount; ++id)
        m_skinActions[static_cast<int>(id)]->setText(texts.Text("MAINWND", SkinStyles::NameKey(id)));
    m_page->Retranslate();
    if (m_session.Login().SignedIn())
        ShowSignedIn();
}

void MainWindow::ShowSignedIn() {
    const LoginResult& login = m_session.Login().Result();
    statusBar()->showMessage(m_session.Texts()
                                 .Host("IDS_HOST_STATUS_SIGNED_IN")
                                 .arg(QString::fromStdString(login.account),
                                      QString::fromStdString(m_session.Client().BaseUrl())));
    m_page->Reload();
}

long MainWindow::CallFlash(const std::string& request, std::string& reply) {
    reply.clear();
    const auto parsed = FlashRequest::Parse(Gb18030ToUtf8(request));
    if (!parsed || parsed->function != kFlashUploadingFile || parsed->strings.empty())
        return -1;
    statusBar()->showMessage(m_session.Texts()
                                 .Host("IDS_HOST_STATUS_UPLOADING")
                                 .arg(QString::fromStdString(parsed->strings.front())));
    return 0;
}

long MainWindow::ApplySkin(long skinId) {
    const auto styleSheet = m_skins.StyleSheet(skinId);
    if (!styleSheet)
        return -1;
    qApp->setStyleSheet(*styleSheet);
    m_appliedSkin = skinId >= 0 && skinId < SkinStyles::kCount ? skinId : 0;
    m_skinActions[static_cast<int>(m_appliedSkin)]->setChecked(true);
    return 0;
}

void MainWindow::ChooseSkin(long skinId) {
    if (ApplySkin(skinId) == 0)
        return;
    // The menu marks the skin in use until the new one is applied.
    m_skinActions[static_cast<int>(m_appliedSkin)]->setChecked(true);
    // Not installed: the component downloads the archive and calls ApplySkin when the user accepts it.
    IUICUpload* component = m_session.Component();
    const std::string name = SkinStyles::Name(skinId).toStdString();
    const std::string url = m_session.Client().BaseUrl() + "/static/skins/" + name + ".zip";
    const std::string archive = Utf8ToGb18030(m_session.ProgramDir() + name + ".zip");
    if (!component || component->DownloadSkin(url, archive, skinId) != 0)
        statusBar()->showMessage(
            m_session.Texts().Host("IDS_HOST_NOT_AVAILABLE").arg(m_skinMenu->title().remove('&')));
}

void MainWindow::SwitchLanguage(const QString& language) {
    if (!m_session.Texts().Use(language))
        return;
    Retranslate();
    // The component's windows read their texts from the same language object.
    SC_ORVA::SetLanguageOfAllWindows();
}

void MainWindow::SimulateNetwork(bool connected) {
    m_session.NotifyNetwork(connected);
    ShowNetworkState(connected);
}

void MainWindow::ShowNetworkState(bool connected) {
    m_networkLost->setEnabled(connected);
    m_networkBack->setEnabled(!connected);
    m_page->SetOnline(connected);
    if (connected)
        ShowSignedIn();
    else
        statusBar()->showMessage(m_session.Texts().Host("IDS_HOST_STATUS_OFFLINE"));
}

}  // namespace nimbra::app
