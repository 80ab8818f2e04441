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
#include <QFile>
#include <QPushButton>

#include "HostStackTest.h"
#include "digest/EditorCredential.h"
#include "platform/CodePage.h"
#include "platform/ToneEditorBus.h"

using namespace nimbra::app;

namespace {

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

class HostEditorTest : public HostStackTest {
protected:
    static void SetUpTestSuite() {
        StartHost("host-editor", {"--demo", "--test-hooks"});
        if (::testing::Test::HasFatalFailure())
            return;
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        window->Page().Extras().SetDownloadFolder(work->filePath("downloads"));
    }
    static void TearDownTestSuite() {
        if (QDBusConnection::sessionBus().isConnected() && EditorRunning())
            Editor()->call("Quit");
        StopHost();
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
    static QString LocalFile(const QString& name) { return work->filePath("downloads/" + name); }
    static QByteArray OnService(const std::string& path) {
        return QByteArray::fromStdString(session->Client().Get("/static/" + path).body);
    }
};

TEST_F(HostEditorTest, ARingToneFromTheMenuOpensInTheEditorSignedInWithTheHostsCredential) {
    ASSERT_FALSE(EditorRunning());
    ChooseRingTone("bell.wav");
    EXPECT_NE(VisibleDialog("CDownFileDlg"), nullptr);
    ASSERT_TRUE(WaitFor([] {
        return EditorRunning() && Editor()->property("CurrentFile").toString() == LocalFile("bell.wav");
    }));
    EXPECT_EQ(Editor()->property("Account").toString(), account);
    const QByteArray tone = Bytes(LocalFile("bell.wav"));
    EXPECT_TRUE(tone.startsWith("RIFF"));
    EXPECT_EQ(tone, OnService("ringtones/bell.wav"));
    EXPECT_TRUE(WaitFor([] { return VisibleDialog("CDownFileDlg") == nullptr; }));

    // The dialog has gone with its work done: the next tone opens one of its own.
    ChooseRingTone("chime.wav");
    ASSERT_TRUE(
        WaitFor([] { return Editor()->property("CurrentFile").toString() == LocalFile("chime.wav"); }));
    EXPECT_EQ(Bytes(LocalFile("chime.wav")), OnService("ringtones/chime.wav"));
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
}

TEST_F(HostEditorTest, ACredentialTheServiceNoLongerAcceptsIsRefusedAndNothingIsOpened) {
    // Static files need no sign-on: the download still comes, the editor's login does not.
    ASSERT_TRUE(session->Client().PostForm("/__test/expire-tokens", {}).Ok());
    ChooseRingTone("beep.wav");
    ASSERT_TRUE(Downloaded(LocalFile("beep.wav")));
    ASSERT_TRUE(WaitFor([] { return VisibleDialog("CDownFileDlg") == nullptr; }));
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
    EXPECT_EQ(Bytes(LocalFile("nimbra-crawler_1.0_all.deb")), OnService(ExtrasMenu::kCrawlerPath));
    // Closed without installing: the complete installer stays.
    dialog->close();
    EXPECT_TRUE(WaitFor([] { return VisibleDialog("CUICPrgDlg") == nullptr; }));
    EXPECT_TRUE(QFile::exists(LocalFile("nimbra-crawler_1.0_all.deb")));
}

}  // namespace
