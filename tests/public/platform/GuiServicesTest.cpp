#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <fstream>

#include "platform/QtPrompts.h"
#include "platform/QtShell.h"
#include "platform/QtSkin.h"
#include "platform/QtSound.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedShell.h"
#include "platform/Services.h"

namespace {

QApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "platform-gui-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals are gone by the time static objects are torn down.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class GuiServices : public ::testing::Test {
protected:
    void SetUp() override {
        GuiApp();
        ASSERT_TRUE(m_dir.isValid());
    }
    std::string Write(const QString& name, const std::string& bytes) const {
        const std::string path = (m_dir.path() + '/' + name).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    QTemporaryDir m_dir;
};

// Acts on the modal box once the event loop runs it.
void WhenBoxShows(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] { act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
}

TEST_F(GuiServices, MessageBoxAnswersWithTheOriginalResultCodes) {
    QtPrompts prompts;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenBoxShows([&](QMessageBox* box) {
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        EXPECT_EQ(box->text(), QString::fromUtf8("\xE7\xBB\xA7\xE7\xBB\xAD?"));  // the GB18030 text converted
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.MessageBox(nullptr, "继续?", "Nimbra", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(icon, QMessageBox::Question);

    WhenBoxShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(prompts.MessageBox(nullptr, "x", "y", MB_YESNO), IDYES);

    WhenBoxShows([](QMessageBox* box) { box->reject(); });  // closed without a button
    EXPECT_EQ(prompts.MessageBox(nullptr, "x", "y", MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
}

TEST_F(GuiServices, FileFiltersAreTranslatedToQtForm) {
    EXPECT_EQ(QtPrompts::QtFilter("Pictures (*.jpg;*.png)|*.jpg;*.png|All files (*.*)|*.*||"),
              QStringLiteral("Pictures (*.jpg *.png);;All files (*)"));
    EXPECT_EQ(QtPrompts::QtFilter(""), QString());
}

TEST_F(GuiServices, ScriptedPromptsAnswerInOrderThenAsDismissed) {
    ScriptedPrompts prompts;
    prompts.QueueMessageBoxResult(IDYES);
    prompts.QueueOpenFiles({"/a", "/b"});
    EXPECT_EQ(prompts.MessageBox(nullptr, "t", "c", MB_YESNO), IDYES);
    EXPECT_EQ(prompts.MessageBox(nullptr, "t", "c", MB_YESNO), IDNO);
    EXPECT_EQ(prompts.MessageBox(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(prompts.MessageBox(nullptr, "t", "c", MB_OK), IDOK);
    EXPECT_EQ(prompts.OpenFiles(nullptr, {"Open", "/", "", ""}), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(prompts.SaveFile(nullptr, {}).empty());
    EXPECT_EQ(prompts.BrowseFolder(nullptr, "Pick", [] { return std::string("/start"); }), "");

    ASSERT_EQ(prompts.Calls().size(), 7u);
    EXPECT_EQ(prompts.Calls()[0].type, MB_YESNO);
    EXPECT_EQ(prompts.Calls()[4].options.title, "Open");
    EXPECT_EQ(prompts.Calls()[6].kind, ScriptedPrompts::Kind::BrowseFolder);
    EXPECT_EQ(prompts.Calls()[6].initialFolder, "/start");
}

TEST_F(GuiServices, SkinIsAStyleSheetFromTheSkinFolder) {
    Write("DlgUpload.qss", "QDialog { background: #102030; }");
    QtSkin skin(m_dir.path().toStdString());
    QWidget dialog;
    ASSERT_TRUE(skin.ApplySkin(&dialog, "DlgUpload"));
    EXPECT_EQ(dialog.styleSheet(), QStringLiteral("QDialog { background: #102030; }"));

    EXPECT_FALSE(skin.ApplySkin(&dialog, "DlgTransmit"));
    EXPECT_FALSE(skin.ApplySkin(&dialog, "../DlgUpload"));
    EXPECT_EQ(dialog.styleSheet(), QStringLiteral("QDialog { background: #102030; }"));
}

TEST_F(GuiServices, PopupMenuReturnsTheChosenCommandId) {
    QtSkin skin(m_dir.path().toStdString());
    QMenu menu;
    menu.addAction(QStringLiteral("Start"))->setData(32771);
    QAction* pause = menu.addAction(QStringLiteral("Pause"));
    pause->setData(32772);
    QTimer::singleShot(0, [&] {
        menu.setActiveAction(pause);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&menu, &enter);
    });
    EXPECT_EQ(skin.TrackPopupMenu(&menu, QPoint(10, 10), nullptr), 32772);

    QTimer::singleShot(0, [&] { menu.close(); });
    EXPECT_EQ(skin.TrackPopupMenu(&menu, QPoint(10, 10), nullptr), 0);
}

TEST_F(GuiServices, SoundThatCannotBePlayedIsReportedAsSuch) {
    QtSound sound;
    EXPECT_FALSE(sound.PlayAsync((m_dir.path() + "/missing.wav").toStdString()));
    const std::string wav = Write("File.wav", "RIFF\x24\0\0\0WAVEfmt ");
    if (!QtSound::HasAudioOutput()) {
        EXPECT_FALSE(sound.PlayAsync(wav));  // Qt would claim to be playing into nothing
    }
}

TEST_F(GuiServices, ShellReportsWhetherAnOpenerAcceptedTheFile) {
    const std::string file = Write("a.txt", "x");
    EXPECT_TRUE(QtShell({{QStringLiteral("no-such-opener")}, {QStringLiteral("true")}}).OpenFile(file));
    EXPECT_FALSE(QtShell({{QStringLiteral("false")}, {QStringLiteral("no-such-opener")}}).OpenFile(file));
    EXPECT_FALSE(QtShell({{QStringLiteral("true")}}).OpenFile(file + ".missing"));
}

TEST_F(GuiServices, InstalledServicesReplaceTheQtOnesUntilRemoved) {
    EXPECT_NE(dynamic_cast<QtPrompts*>(&Services::GetPrompts()), nullptr);
    ScriptedPrompts prompts;
    ScriptedShell shell;
    Services::SetPrompts(&prompts);
    Services::SetShell(&shell);
    EXPECT_EQ(&Services::GetPrompts(), &prompts);
    EXPECT_TRUE(Services::GetShell().OpenFile("/x"));
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{"/x"});

    Services::SetPrompts(nullptr);
    Services::SetShell(nullptr);
    EXPECT_NE(dynamic_cast<QtPrompts*>(&Services::GetPrompts()), nullptr);
    EXPECT_NE(dynamic_cast<QtShell*>(&Services::GetShell()), nullptr);
}

}  // namespace
