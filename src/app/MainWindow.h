#pragma once
// The main window (IUICMainWnd): menus, the network-disk page, the status line with the file the
// component reports as uploading, the skins and the languages.

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

#include "HostSession.h"
#include "NetDiskPage.h"
#include "SkinStyles.h"
#include "host/HostObject.h"

namespace nimbra::app {

class MainWindow final : public QMainWindow, public HostComponent<IUICMainWnd> {
    Q_OBJECT
public:
    explicit MainWindow(HostSession& session);

    NetDiskPage& Page() { return *m_page; }

    // IUICMainWnd
    HWND GetComponentHwnd() override { return this; }
    // Answers "UploadingFile" by naming the file in the status line.
    long CallFlash(const std::string& request, std::string& reply) override;
    // Slot 34: switches the application's style sheet to the skin; -1 when it is not installed.
    long ApplySkin(long skinId) override;

    // After a sign-in: the account in the status line and the page read from the service.
    void ShowSignedIn();
    // The View and Network menus' actions.
    void SwitchLanguage(const QString& language);
    void SimulateNetwork(bool connected);
    // The menus, the page and the status line as the network is (lost or back).
    void ShowNetworkState(bool connected);

signals:
    // The user signed out and wants to sign in again.
    void signOutRequested();

private:
    void BuildMenus();
    void Retranslate();
    void ChooseSkin(long skinId);

    HostSession& m_session;
    SkinStyles m_skins;
    NetDiskPage* m_page;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_networkMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_skinMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QAction* m_upload = nullptr;
    QAction* m_uploadHere = nullptr;
    QAction* m_transfers = nullptr;
    QAction* m_uploadTasks = nullptr;
    QAction* m_download = nullptr;
    QAction* m_refresh = nullptr;
    QAction* m_signOut = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_networkLost = nullptr;
    QAction* m_networkBack = nullptr;
    QList<QAction*> m_skinActions;
    long m_appliedSkin = 0;
};

}  // namespace nimbra::app
