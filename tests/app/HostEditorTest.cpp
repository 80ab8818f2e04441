// The host's menu of what the service offers by address, over the real component, engine and nimbra-diskd,
// with the reference editor that the test's own session bus starts on demand: a ring tone goes to the
// editor signed in with the host's sealed credential; a credential the service no longer accepts is refused
// and nothing is opened; the crawler installer arrives and its dialog offers Next.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "EmbeddedService.h"
#include "GuiApp.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "ModalAnswerer.h"
#include "digest/EditorCredential.h"
#include "platform/CodePage.h"
#include "platform/ToneEditorBus.h"

using namespace nimbra::app;

namespace {

constexpr const char* kPassword = "pass";

void Pump(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits, with the event loop running, until the condition holds; false when a minute passes first.
template <class Condition>
bool WaitFor(Condition condition) {
    const QDeadlineTimer deadline{std::chrono::seconds(60)};
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        Pump(50);
    }
    return true;
}

// The component's dialog of that class, when one is on screen.
QWidget* VisibleDialog(const char* className) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QString(widget->metaObject()->className()) == className)
            return widget;
    }
    return nullptr;
}

bool EditorRunning() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kToneEditorService).value();
}

std::unique_ptr<QDBusInterface> Editor() {
    return std::make_unique<QDBusInterface>(kToneEditorService, kToneEditorPath, kToneEditorInterface,
                                            QDBusConnection::sessionBus());
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HostEditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GuiApp();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        work = std::make_unique<QTemporaryDir>();
        account = QString("host-editor-%1").arg(QCoreApplication::applicationPid());
        service = std::make_unique<EmbeddedService>();
        ASSERT_TRUE(service->Start(NIMBRA_DISKD_PATH, work->filePath("disk"),
                                   {"--demo", "--test-hooks", "--add-account", account + ":" + kPassword}))
            << service->Error().toStdString();
        session = std::make_unique<HostSession>(QCoreApplication::applicationDirPath().toStdString() + "/",
                                                "zh_CN");
        ASSERT_NE(session->LoadComponent(), nullptr) << session->ComponentError();
        window = std::make_unique<MainWindow>(*session);
        session->Offer(IID_IUICMainWnd, window.get());
        session->Offer(IID_IUICNetDisk, &window->Page());
        std::string error;
        ASSERT_TRUE(
            session->SignIn(service->BaseUrl().toStdString(), account.toStdString(), kPassword, error))
            << error;
        window->Page().Extras().SetDownloadFolder(work->filePath("downloads"));
        answerer = std::make_unique<ModalAnswerer>();
    }
    static void TearDownTestSuite() {
        if (QDBusConnection::sessionBus().isConnected() && EditorRunning())
            Editor()->call("Quit");
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

    // Chooses the ring tone in the page's menu.
    static void ChooseRingTone(const QString& name) {
        ExtrasMenu& menu = window->Page().Extras();
        menu.LoadRingTones();
        for (QAction* action : menu.RingTones()->actions()) {
            if (action->text() == name) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "the menu offers no " << name.toStdString();
    }
    static QString Downloaded(const QString& name) { return work->filePath("downloads/" + name); }
    static QByteArray OnService(const std::string& path) {
        return QByteArray::fromStdString(session->Client().Get("/static/" + path).body);
    }

    static std::unique_ptr<QTemporaryDir> work;
    static std::unique_ptr<EmbeddedService> service;
    static std::unique_ptr<HostSession> session;
    static std::unique_ptr<MainWindow> window;
    static std::unique_ptr<ModalAnswerer> answerer;
    static QString account;
};

std::unique_ptr<QTemporaryDir> HostEditorTest::work;
std::unique_ptr<EmbeddedService> HostEditorTest::service;
std::unique_ptr<HostSession> HostEditorTest::session;
std::unique_ptr<MainWindow> HostEditorTest::window;
std::unique_ptr<ModalAnswerer> HostEditorTest::answerer;
QString HostEditorTest::account;

TEST_F(HostEditorTest, ARingToneFromTheMenuOpensInTheEditorSignedInWithTheHostsCredential) {
    ASSERT_FALSE(EditorRunning());
    ChooseRingTone("bell.wav");
    EXPECT_NE(VisibleDialog("CDownFileDlg"), nullptr);
    ASSERT_TRUE(WaitFor([] {
        return EditorRunning() && Editor()->property("CurrentFile").toString() == Downloaded("bell.wav");
    }));
    EXPECT_EQ(Editor()->property("Account").toString(), account);
    const QByteArray tone = Bytes(Downloaded("bell.wav"));
    EXPECT_TRUE(tone.startsWith("RIFF"));
    EXPECT_EQ(tone, OnService("ringtones/bell.wav"));
    EXPECT_TRUE(WaitFor([] { return VisibleDialog("CDownFileDlg") == nullptr; }));

    // The dialog has gone with its work done: the next tone opens one of its own.
    ChooseRingTone("chime.wav");
    ASSERT_TRUE(
        WaitFor([] { return Editor()->property("CurrentFile").toString() == Downloaded("chime.wav"); }));
    EXPECT_EQ(Bytes(Downloaded("chime.wav")), OnService("ringtones/chime.wav"));
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
}

TEST_F(HostEditorTest, ACredentialTheServiceNoLongerAcceptsIsRefusedAndNothingIsOpened) {
    // Static files need no sign-on: the download still comes, the editor's login does not.
    ASSERT_TRUE(session->Client().PostForm("/__test/expire-tokens", {}).Ok());
    ChooseRingTone("beep.wav");
    ASSERT_TRUE(WaitFor([] {
        return VisibleDialog("CDownFileDlg") == nullptr && QFile::exists(Downloaded("beep.wav")) &&
               !QFile::exists(Downloaded("beep.wav") + ".part");
    }));
    ASSERT_TRUE(EditorRunning()) << "the component did not reach the editor";
    EXPECT_TRUE(Editor()->property("CurrentFile").toString().isEmpty());
    EXPECT_TRUE(Editor()->property("Account").toString().isEmpty());

    // The same credential asked directly: the editor answers -1.
    std::string ticket;
    ASSERT_EQ(session->Login().GetSelectedText(7, ticket), 0);
    const std::string name = FromQString(account);
    const QDBusReply<int> reply =
        Editor()->call("Login", account, QString::fromStdString(SealEditorCredential(name, ticket)));
    ASSERT_TRUE(reply.isValid()) << reply.error().message().toStdString();
    EXPECT_EQ(reply.value(), -1);
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
}

TEST_F(HostEditorTest, TheCrawlerInstallerArrivesWholeAndItsDialogOffersNext) {
    ASSERT_EQ(window->Page().Extras().DownloadCrawler(), 0);
    QWidget* dialog = VisibleDialog("CUICPrgDlg");
    ASSERT_NE(dialog, nullptr);
    auto* next = dialog->findChild<QPushButton*>("buttonNext");
    ASSERT_NE(next, nullptr);
    ASSERT_TRUE(WaitFor([&] { return next->isVisible(); }));
    EXPECT_EQ(Bytes(Downloaded("nimbra-crawler_1.0_all.deb")), OnService(ExtrasMenu::kCrawlerPath));
    // Closed without installing: the complete installer stays.
    dialog->close();
    EXPECT_TRUE(WaitFor([] { return VisibleDialog("CUICPrgDlg") == nullptr; }));
    EXPECT_TRUE(QFile::exists(Downloaded("nimbra-crawler_1.0_all.deb")));
}

}  // namespace
