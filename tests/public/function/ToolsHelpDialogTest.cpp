#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "TestHostCore.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "platform/CodePage.h"
#include "platform/ScriptedShell.h"
#include "platform/Services.h"

namespace {

class ToolsHelpDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_BUTTON_UPLOAD"}] = "上传";
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TITLE_MAIN"}] = "上传文件";
        button = new QPushButton(&dialog);
        SetDlgCtrlID(button, 10104);
        group = new QGroupBox(&dialog);
        SetDlgCtrlID(group, 10200);
        label = new QLabel(group);  // found below another control too
        SetDlgCtrlID(label, 10300);
    }
    void TearDown() override { g_IOrvaLange = nullptr; }

    testhost::TestHostCore host;
    QWidget dialog;
    QPushButton* button = nullptr;
    QGroupBox* group = nullptr;
    QLabel* label = nullptr;
};

TEST_F(ToolsHelpDialogTest, TextsComeFromTheLanguageInterfaceByKeyAndSection) {
    CToolsHelp::SetDlgItemTextA(&dialog, 10104, "IDS_UPLOAD_BUTTON_UPLOAD", "UPLOAD");
    EXPECT_EQ(button->text(), QString::fromUtf8("\xE4\xB8\x8A\xE4\xBC\xA0"));  // "上传"
    CToolsHelp::SetDlgItemTextA(&dialog, 10200, "IDS_UPLOAD_BUTTON_UPLOAD", "UPLOAD");
    EXPECT_EQ(group->title(), button->text());
    CToolsHelp::SetDlgItemTextA(&dialog, 10300, "IDS_UPLOAD_TITLE_MAIN", "UPLOAD");
    EXPECT_EQ(FromQString(label->text()), "上传文件");
    CToolsHelp::SetWindowTextA(&dialog, "IDS_UPLOAD_TITLE_MAIN", "UPLOAD");
    EXPECT_EQ(FromQString(dialog.windowTitle()), "上传文件");
    // A missing control or window is only logged.
    CToolsHelp::SetDlgItemTextA(&dialog, 99999, "IDS_UPLOAD_TITLE_MAIN", "UPLOAD");
    CToolsHelp::SetWindowTextA(nullptr, "IDS_UPLOAD_TITLE_MAIN", "UPLOAD");
}

TEST_F(ToolsHelpDialogTest, ShowAndEnableReachTheControlById) {
    dialog.show();
    CToolsHelp::ShowDlgItem(&dialog, 10104, 0);
    EXPECT_FALSE(button->isVisible());
    CToolsHelp::ShowDlgItem(&dialog, 10104, 5);
    EXPECT_TRUE(button->isVisible());
    CToolsHelp::EnableDlgItem(&dialog, 10300, false);
    EXPECT_FALSE(label->isEnabled());
    CToolsHelp::EnableDlgItem(&dialog, 10300, true);
    EXPECT_TRUE(label->isEnabled());
    CToolsHelp::ShowDlgItem(&dialog, 4242, 0);
    CToolsHelp::EnableDlgItem(nullptr, 10104, false);
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(ToolsHelpDialogTest, OpenFileAsksTheShellAndReportsItsAnswer) {
    ScriptedShell shell;
    Services::SetShell(&shell);
    EXPECT_EQ(CToolsHelp::OpenFile(""), -1);
    EXPECT_TRUE(shell.Opened().empty());
    EXPECT_EQ(CToolsHelp::OpenFile("/tmp/报告.odt"), 0);
    shell.SetResult(false);
    EXPECT_EQ(CToolsHelp::OpenFile("/tmp/x.unknown"), -1);
    EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"/tmp/报告.odt", "/tmp/x.unknown"}));
    Services::SetShell(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
