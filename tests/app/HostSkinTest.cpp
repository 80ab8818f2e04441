// The host with the real component, engine and nimbra-diskd (with its demo data), loaded from the build's
// program folder as `nimbra` loads them: picking the purple skin, which the host does not ship, downloads
// its archive through the engine, and once the user accepts it the window wears it at once. Grabs of the
// window before and after (offscreen rendering) show the difference.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "EmbeddedService.h"
#include "GuiApp.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "ModalAnswerer.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

// The poll timer of every skin download window on screen fires now instead of after its second: the
// windows live in the component, so they are found by class name and their timer by its id.
void PollSkinDownloads() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || qstrcmp(widget->metaObject()->className(), "CUICDownLoadSkinDlg") != 0)
            continue;
        if (auto* timer = widget->findChild<QTimer*>("1002"); timer && timer->isActive())
            QMetaObject::invokeMethod(timer, "timeout");
    }
}

// Lets the engine work and the windows poll until the condition holds; false once a minute has passed.
template <class Condition>
bool PollUntil(Condition condition) {
    const QDeadlineTimer deadline{std::chrono::seconds(60)};
    while (!condition() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        PollSkinDownloads();
    }
    return condition();
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HostSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        GuiApp();
        ASSERT_TRUE(m_work.isValid());
        programDir = QCoreApplication::applicationDirPath() + "/";
        RemoveDownloadedPurple();
        ASSERT_TRUE(m_service.Start(NIMBRA_DISKD_PATH, m_work.filePath("disk"), {"--demo"}))
            << m_service.Error().toStdString();
        m_session = std::make_unique<HostSession>(programDir.toStdString(), "zh_CN");
        ASSERT_NE(m_session->LoadComponent(), nullptr) << m_session->ComponentError();
        window = std::make_unique<MainWindow>(*m_session);
        m_session->Offer(IID_IUICMainWnd, window.get());
        m_session->Offer(IID_IUICNetDisk, &window->Page());
        std::string error;
        ASSERT_TRUE(m_session->SignIn(m_service.BaseUrl().toStdString(), "demo", "demo", error)) << error;
        window->ShowSignedIn();
        window->show();
        answerer = std::make_unique<ModalAnswerer>();
    }
    void TearDown() override {
        answerer.reset();
        if (m_session) {
            m_session->SignOut();
            m_session->Offer(IID_IUICMainWnd, nullptr);
            m_session->Offer(IID_IUICNetDisk, nullptr);
        }
        window.reset();
        m_session.reset();
        qApp->setStyleSheet({});
        RemoveDownloadedPurple();
    }
    void RemoveDownloadedPurple() const {
        QDir(programDir + "skin/purple").removeRecursively();
        QDir().rmdir(programDir + "skin");
        QFile::remove(programDir + "purple.zip");
    }
    QAction* SkinAction(const char* name) const {
        for (QAction* action : window->findChildren<QAction*>()) {
            if (action->isCheckable() && action->text() == ToQString(name))
                return action;
        }
        return nullptr;
    }

    QString programDir;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ModalAnswerer> answerer;

private:
    QTemporaryDir m_work;
    EmbeddedService m_service;
    std::unique_ptr<HostSession> m_session;
};

TEST_F(HostSkinTest, APickedSkinThatIsNotInstalledIsDownloadedAndWornOnceAccepted) {
    QAction* blue = SkinAction("经典蓝");
    QAction* purple = SkinAction("典雅紫");
    ASSERT_NE(blue, nullptr);
    ASSERT_NE(purple, nullptr);
    ASSERT_TRUE(blue->isChecked());
    const QImage before = window->grab().toImage();

    // Yes to "download it now?" and later to "use it now?".
    answerer->AnswerMessageBoxes(QMessageBox::Yes);
    purple->trigger();
    EXPECT_TRUE(blue->isChecked()) << "the skin in use stays marked while the new one arrives";
    ASSERT_TRUE(PollUntil([&] { return purple->isChecked(); }))
        << "answered: " << answerer->AnsweredBoxes().join(" | ").toStdString()
        << "; closed: " << answerer->Unexpected().join(" | ").toStdString();

    const QByteArray installed = Bytes(programDir + "skin/purple/skin.qss");
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8(installed));
    EXPECT_EQ(answerer->AnsweredBoxes().size(), 2);
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
    EXPECT_TRUE(PollUntil([&] { return !QFile::exists(programDir + "purple.zip"); })) << "the archive stays";

    const QImage after = window->grab().toImage();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(after, before);
    // The menu bar's empty right end shows each skin's own colour.
    const QRect bar = window->menuBar()->geometry();
    const QPoint spot(bar.right() - 4, bar.center().y());
    EXPECT_NE(after.pixelColor(spot), before.pixelColor(spot));
}

}  // namespace
