#include "HostStackTest.h"

#include <QCoreApplication>
#include <QDir>

#include "GuiApp.h"

namespace nimbra::app {

std::unique_ptr<QTemporaryDir> HostStackTest::work;
std::unique_ptr<EmbeddedService> HostStackTest::service;
std::unique_ptr<HostSession> HostStackTest::session;
std::unique_ptr<MainWindow> HostStackTest::window;
std::unique_ptr<ModalAnswerer> HostStackTest::answerer;
QString HostStackTest::account;

void HostStackTest::StartHost(const QString& accountPrefix, const QStringList& serviceOptions) {
    GuiApp();
    work = std::make_unique<QTemporaryDir>();
    account = QString("%1-%2").arg(accountPrefix).arg(QCoreApplication::applicationPid());
    service = std::make_unique<EmbeddedService>();
    ASSERT_TRUE(service->Start(NIMBRA_DISKD_PATH, work->filePath("disk"),
                               serviceOptions + QStringList{"--add-account", account + ":" + kPassword}))
        << service->Error().toStdString();
    session =
        std::make_unique<HostSession>(QCoreApplication::applicationDirPath().toStdString() + "/", "zh_CN");
    ASSERT_NE(session->LoadComponent(), nullptr) << session->ComponentError();
    window = std::make_unique<MainWindow>(*session);
    session->Offer(IID_IUICMainWnd, window.get());
    session->Offer(IID_IUICNetDisk, &window->Page());
    std::string error;
    ASSERT_TRUE(session->SignIn(service->BaseUrl().toStdString(), account.toStdString(), kPassword, error))
        << error;
    window->ShowSignedIn();
    answerer = std::make_unique<ModalAnswerer>();
}

void HostStackTest::StopHost() {
    if (session)
        session->SignOut();
    answerer.reset();
    if (session) {
        session->Offer(IID_IUICMainWnd, nullptr);
        session->Offer(IID_IUICNetDisk, nullptr);
    }
    window.reset();
    if (session)
        QDir(QString::fromStdString(session->ProgramDir()) + account).removeRecursively();
    session.reset();
    service.reset();
    work.reset();
}

}  // namespace nimbra::app
