#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

#include "TestHost.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "platform/AppProfile.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"

namespace {

class ProgressDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        Services::SetSkin(&skin);
        WriteProfileString("Nimbra", "UploadPos", nullptr);
        host.mainWnd.window.setGeometry(100, 50, 900, 600);
    }
    void TearDown() override {
        Services::SetSkin(nullptr);
        g_IOrvaLange = nullptr;
    }
    QWidget* Item(int id) { return GetDlgItem(&dialog, id); }

    testhost::TestHost host;
    ScriptedSkin skin;
    CUICProgressDlg dialog;
};

TEST_F(ProgressDlgTest, AFirstOpeningPutsTheBarAtTheMainWindowsTopRight) {
    WriteProfileString("Nimbra", "UploadPos", "1,2,3,4,1");  // five numbers: ignored
    ASSERT_TRUE(dialog.Create());
    const QRect main = host.mainWnd.window.frameGeometry();
    EXPECT_EQ(dialog.frameGeometry().right() + 1, main.left() + main.width() - 10);
    EXPECT_EQ(dialog.frameGeometry().top(), main.top() + 30);
    EXPECT_EQ(skin.AppliedSkins().at(0).skinName, "DlgProgressBar");
}

TEST_F(ProgressDlgTest, AStoredPlacementOfSixNumbersWins) {
    WriteProfileString("Nimbra", "UploadPos", "40,60,370,80,1,0");
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.geometry().topLeft(), QPoint(40, 60));
}

TEST_F(ProgressDlgTest, WithoutTheMainWindowTheBarDoesNotOpen) {
    host.Withdraw(IID_IUICMainWnd);
    EXPECT_FALSE(dialog.Create());
}

TEST_F(ProgressDlgTest, AnEndedReportShowsTheCloseButtonUntilTheNextReset) {
    ASSERT_TRUE(dialog.Create());
    dialog.Reset();
    const QRect firstText = Item(IDC_STATIC_PROGRESS_TEXT)->geometry();
    dialog.ShowProgress({"45%，12 KBps", 45, 1});
    EXPECT_EQ(static_cast<QProgressBar*>(Item(IDC_PROGRESS_UPLOAD))->value(), 45);
    EXPECT_FALSE(Item(IDC_PROGRESS_UPLOAD)->isHidden());
    EXPECT_TRUE(Item(IDC_BUTTON_PROGRESS_CLOSE)->isHidden());

    dialog.ShowProgress({"上传完成", 100, 0});
    EXPECT_TRUE(Item(IDC_PROGRESS_UPLOAD)->isHidden());
    EXPECT_FALSE(Item(IDC_BUTTON_PROGRESS_CLOSE)->isHidden());
    const QRect ended = Item(IDC_STATIC_PROGRESS_TEXT)->geometry();
    EXPECT_EQ(ended.left(), firstText.left() - 200);
    EXPECT_EQ(ended.right(), firstText.right() - 100);

    dialog.show();
    dialog.move(300, 310);
    static_cast<QPushButton*>(Item(IDC_BUTTON_PROGRESS_CLOSE))->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(GetProfileString("Nimbra", "UploadPos").rfind("300,310,", 0), 0u);

    dialog.Reset();
    EXPECT_FALSE(Item(IDC_PROGRESS_UPLOAD)->isHidden());
    EXPECT_TRUE(Item(IDC_BUTTON_PROGRESS_CLOSE)->isHidden());
    EXPECT_EQ(Item(IDC_STATIC_PROGRESS_TEXT)->geometry(), firstText);
    EXPECT_EQ(static_cast<QProgressBar*>(Item(IDC_PROGRESS_UPLOAD))->value(), 0);
}

}  // namespace
