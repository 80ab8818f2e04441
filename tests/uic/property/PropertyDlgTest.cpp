// The file property dialog as a user reaches it: the upload dialog's Next, the target dialog, the
// previous step and Upload now, through the component, the scripted prompts and skin, the test host and
// a mock engine adapter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "CatalogNodes.h"
#include "UploadDialogFixture.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/Prompts.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/property/UICPropertyDlg.h"
#include "uic/UICUploadFile/target/UICTargetDlg.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"

namespace {

using ::testing::_;
using ::testing::An;
using ::testing::DoAll;
using ::testing::Invoke;
using ::testing::Return;

const std::string kCatalogDoc = CatalogResult(
    "http://127.0.0.1:8090/lumenoApp/share/pc_uploadFileRequest",
    CatalogNode("root", "", "top") + CatalogNode("11", "root", "我的文件夹") +
        CatalogNode("12", "root", "照片") + CatalogNode("13", "12", "2020", 1),
    "<MaxUploadFilesNumber>5</MaxUploadFilesNumber><MaxUploadFilesSize>1048576</MaxUploadFilesSize>"
    "<SpareSize>5242880</SpareSize>");

class PropertyDlgTest : public UploadDialogFixture {
protected:
    void SetUp() override {
        UploadDialogFixture::SetUp();
        for (const char* key : {"IDS_UPLOAD_INFO_NEXT_FILESONLY", "IDS_UPLOAD_PROPERTY_TITLE"}) {
            host.lang.texts[{"UPLOAD", key}] = key;
        }
        host.lang.texts[{"UPLOAD", "IDS_UPLOAD_TARGET_NEW"}] = "新建文件夹";
        WritePrivateProfileString("PREPATH", nullptr, nullptr, ConfigFile().c_str());
        upload = ShowUploadDialog(kCatalogDoc);
        ASSERT_NE(upload, nullptr);
    }

    static std::string Prepath(const char* key) {
        return GetPrivateProfileString("PREPATH", key, "", ConfigFile().c_str());
    }
    // Files listed in the upload dialog, the tag and description written, then Next.
    CUICPropertyDlg* Next(const std::vector<std::string>& files, const std::string& tag = "旅行",
                          const std::string& description = "夏天") {
        prompts.QueueOpenFiles(files);
        upload->OnBnClickedButtonChoose();
        Field<QTextEdit>(upload, IDC_RICHEDIT_TAG)->setPlainText(ToQString(tag));
        Field<QPlainTextEdit>(upload, IDC_EDIT_DESCRIPTION)->setPlainText(ToQString(description));
        QTest::mouseClick(GetDlgItem(upload, IDC_BUTTON_NEXT), Qt::LeftButton);
        return UISingleton<CUICPropertyDlg>::Existing();
    }
    template <class Widget>
    static Widget* Field(QWidget* dialog, int id) {
        return qobject_cast<Widget*>(GetDlgItem(dialog, id));
    }
    static std::string Text(QWidget* dialog, int id) {
        QWidget* field = GetDlgItem(dialog, id);
        if (auto* line = qobject_cast<QLineEdit*>(field)) {
            return FromQString(line->text());
        }
        if (auto* rich = qobject_cast<QTextEdit*>(field)) {
            return FromQString(rich->toPlainText());
        }
        return FromQString(qobject_cast<QPlainTextEdit*>(field)->toPlainText());
    }
    // Opens the target dialog from the property dialog; script runs inside its modal run.
    void ChooseTarget(CUICPropertyDlg* property, const std::function<void(CUICTargetDlg&)>& script) {
        QTimer::singleShot(0, [property, script] {
            CUICTargetDlg* target = property->TargetDlg();
            ASSERT_NE(target, nullptr);
            script(*target);
            if (target->isVisible()) {
                target->done(IDCANCEL);
            }
        });
        property->OnBnClickedButtonTarget();
    }
    CUICUploadDlg* upload = nullptr;
};

TEST_F(PropertyDlgTest, NextHandsTheFilesToThePropertyDialogAndThePreviousStepBringsThemBack) {
    const std::string a = File("a.txt", 1500);
    const std::string b = File("b.doc", 20);
    CUICPropertyDlg* property = Next({a, b});
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property, component->GetPropertyDlg());
    EXPECT_TRUE(property->isVisible());
    EXPECT_FALSE(upload->isVisible());
    EXPECT_EQ(upload->List()->GetItemCount(), 0);
    EXPECT_EQ(property->windowTitle(), "IDS_UPLOAD_PROPERTY_TITLE");
    ASSERT_EQ(property->PendingFiles().size(), 2u);
    EXPECT_EQ(property->PendingFiles()[0].strPath, a);
    EXPECT_EQ(property->PendingFiles()[0].ullSize, 1500u);
    EXPECT_EQ(property->TargetID(), "13");
    EXPECT_EQ(Text(property, IDC_EDIT_TARGETPATH), "我的网盘\\照片\\2020");
    EXPECT_EQ(Text(property, IDC_RICHEDIT_TAG), "旅行");
    EXPECT_EQ(Text(property, IDC_EDIT_DESCRIPTION), "夏天");

    Field<QTextEdit>(property, IDC_RICHEDIT_TAG)->setPlainText(ToQString("旅行,海边"));
    QTest::mouseClick(GetDlgItem(property, IDC_BUTTON_PRE), Qt::LeftButton);
    EXPECT_FALSE(property->isVisible());
    EXPECT_TRUE(upload->isVisible());
    ASSERT_EQ(upload->List()->GetItemCount(), 2);
    EXPECT_EQ(upload->List()->GetItemText(0, 1), "a.txt");
    EXPECT_EQ(upload->List()->GetItemText(1, 1), "b.doc");
    EXPECT_EQ(upload->Rules().ListedTotal(), 1520u);
    EXPECT_EQ(Text(upload, IDC_RICHEDIT_TAG), "旅行,海边");
    EXPECT_EQ(Text(upload, IDC_EDIT_DESCRIPTION), "夏天");
    EXPECT_EQ(upload->Combo()->GetWindowText(), "我的网盘\\照片\\2020");
    // And forward again with the same files, once each.
    QTest::mouseClick(GetDlgItem(upload, IDC_BUTTON_NEXT), Qt::LeftButton);
    EXPECT_EQ(property->PendingFiles().size(), 2u);
}

TEST_F(PropertyDlgTest, NextWantsFilesAndLeavesFoldersToTheUploadDialog) {
    QTest::mouseClick(GetDlgItem(upload, IDC_BUTTON_NEXT), Qt::LeftButton);
    EXPECT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_INFO_FILENUMZERO"});
    prompts.QueueFolder(FromQString(m_files.path()));
    upload->OnBnClickedButtonCatalog();
    QTest::mouseClick(GetDlgItem(upload, IDC_BUTTON_NEXT), Qt::LeftButton);
    ASSERT_EQ(skin.Tips().size(), 2u);
    EXPECT_EQ(skin.Tips()[1].text, "IDS_UPLOAD_INFO_NEXT_FILESONLY");
    EXPECT_EQ(skin.Tips()[1].point, GetDlgItem(upload, IDC_BUTTON_NEXT)->mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(UISingleton<CUICPropertyDlg>::Existing(), nullptr);
    EXPECT_TRUE(upload->isVisible());
    EXPECT_EQ(upload->List()->GetItemCount(), 1);
}

TEST_F(PropertyDlgTest, TheTargetDialogShowsTheCurrentTargetAndCancelKeepsIt) {
    CUICPropertyDlg* property = Next({File("a.txt", 10)});
    ASSERT_NE(property, nullptr);
    std::string preselected;
    bool newShown = true;
    ChooseTarget(property, [&](CUICTargetDlg& target) {
        preselected = FromQString(target.Tree()->currentItem()->text(0));
        newShown = GetDlgItem(&target, IDC_BUTTON_TARGET_NEW)->isVisible();
        target.Tree()->setCurrentItem(target.ItemOf("11"));
        QTest::mouseClick(GetDlgItem(&target, IDC_BUTTON_TARGET_CANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(preselected, "2020");
    EXPECT_TRUE(newShown);
    EXPECT_EQ(property->TargetID(), "13");
    EXPECT_EQ(property->CatalogName(), "");
    EXPECT_EQ(Text(property, IDC_EDIT_TARGETPATH), "我的网盘\\照片\\2020");
    // The page is not told of the property dialog's choices.
    EXPECT_TRUE(host.netDisk.flashRequests.empty());

    CUICTargetDlg* first = property->TargetDlg();
    ChooseTarget(property, [&](CUICTargetDlg& target) {
        target.Tree()->setCurrentItem(target.ItemOf("11"));
        QTest::mouseClick(GetDlgItem(&target, IDC_BUTTON_TARGET_OK), Qt::LeftButton);
    });
    EXPECT_EQ(property->TargetDlg(), first);
    EXPECT_EQ(property->TargetID(), "11");
    EXPECT_EQ(Text(property, IDC_EDIT_TARGETPATH), "我的网盘\\我的文件夹");
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
}

TEST_F(PropertyDlgTest, UploadNowSendsTheFilesIntoANewFolderMadeInTheTargetDialogAndFollowsThem) {
    const std::string a = File("a.txt", 100);
    const std::string b = File("b.txt", 300);
    CUICPropertyDlg* property = Next({a, b}, "旅行,海边", "夏天的照片");
    ASSERT_NE(property, nullptr);
    ChooseTarget(property, [](CUICTargetDlg& target) {
        target.Tree()->setCurrentItem(target.ItemOf("12"));
        target.OnBnClickedButtonNew();
        target.EditBox()->setText(ToQString("海边"));
        QTest::keyClick(target.EditBox(), Qt::Key_Return);
        QApplication::processEvents();
        QTest::mouseClick(GetDlgItem(&target, IDC_BUTTON_TARGET_OK), Qt::LeftButton);
    });
    ASSERT_EQ(property->CatalogName(), "海边");
    EXPECT_EQ(Text(property, IDC_EDIT_TARGETPATH), "我的网盘\\照片\\海边");
    UploadFileList entries;
    tagUploadInfo info;
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(DoAll(Invoke([&](UploadFileList& files, const tagUploadInfo& request, long) {
                            long id = 21;
                            for (tagUploadFileEntry& file : files) {
                                file.strFileID = std::to_string(id++);
                            }
                            entries = files;
                            info = request;
                        }),
                        Return(0)));
    QTest::mouseClick(GetDlgItem(property, IDC_BUTTON_UPLOAD), Qt::LeftButton);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].strFilePath, a);
    EXPECT_EQ(entries[1].strDescription, "夏天的照片");
    EXPECT_EQ(entries[1].strGoalPath, "我的网盘\\照片\\海边");
    EXPECT_EQ(info.nPort, 8090);
    EXPECT_EQ(info.strTargetCatalogID, "12");
    EXPECT_EQ(info.strNewCatalogName, "海边");
    EXPECT_EQ(info.strTag, "旅行,海边");
    EXPECT_EQ(info.strSSOKey, "login-ticket");
    EXPECT_EQ(property->TaskIds(), (std::set<int32_t>{21, 22}));
    EXPECT_TRUE(property->IsTimerRunning(TIMER_PROPERTY_UPLOAD));
    EXPECT_FALSE(property->isVisible());
    EXPECT_TRUE(property->PendingFiles().empty());
    EXPECT_EQ(Prepath("upload"), "我的网盘\\照片\\海边");
    ASSERT_NE(component->GetTransmitDlg(), nullptr);
    EXPECT_TRUE(component->GetTransmitDlg()->isVisible());

    // Half of the bytes in the first second, then both done: the progress bar follows, the page refreshes.
    EXPECT_CALL(adapter, GetProgress(21, An<tagUploadProgress&>()))
        .WillOnce(ReportsProgress(100, TASK_FINISHED))
        .WillOnce(ReportsProgress(100, TASK_FINISHED));
    EXPECT_CALL(adapter, GetProgress(22, An<tagUploadProgress&>()))
        .WillOnce(ReportsProgress(100, TASK_RUNNING))
        .WillOnce(ReportsProgress(300, TASK_FINISHED));
    ASSERT_NE(property->ProgressDlg(), nullptr);
    auto* progressText = qobject_cast<QLabel*>(GetDlgItem(property->ProgressDlg(), IDC_STATIC_PROGRESS_TEXT));
    ASSERT_NE(progressText, nullptr);
    property->OnTimer(TIMER_PROPERTY_UPLOAD);
    EXPECT_EQ(FromQString(progressText->text()), "50%，200 Bps");
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
    property->OnTimer(TIMER_PROPERTY_UPLOAD);
    EXPECT_FALSE(property->IsTimerRunning(TIMER_PROPERTY_UPLOAD));
    EXPECT_TRUE(property->TaskIds().empty());
    EXPECT_EQ(FromQString(progressText->text()), "IDS_UPLOAD_INFO_SUCCESS");
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    EXPECT_EQ(host.netDisk.flashRequests[0], CToolsHelp::ConstructFlashXml2(198626, "-1"));
}

TEST_F(PropertyDlgTest, UploadNowWithoutFilesStartsNoTaskButRemembersThePath) {
    CUICPropertyDlg* property = component->GetPropertyDlg();
    ASSERT_NE(property, nullptr);
    tagPropertyStep step;
    step.strCatalogDoc = kCatalogDoc;
    step.strTargetID = "11";
    step.strTargetPath = "我的网盘\\我的文件夹";
    property->SetUploadStep(upload, step);
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    property->OnBnClickedButtonUpload();
    EXPECT_TRUE(property->TaskIds().empty());
    EXPECT_FALSE(property->IsTimerRunning(TIMER_PROPERTY_UPLOAD));
    EXPECT_EQ(Prepath("upload"), "我的网盘\\我的文件夹");
}

TEST_F(PropertyDlgTest, ABusyEngineKeepsTheDialogAndItsFiles) {
    CUICPropertyDlg* property = Next({File("a.txt", 10)});
    ASSERT_NE(property, nullptr);
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    EXPECT_CALL(adapter, GetUIPState()).WillOnce(Return(0));
    property->OnBnClickedButtonUpload();
    ASSERT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_TIP_BUSY"});
    EXPECT_EQ(skin.Tips()[0].point, GetDlgItem(property, IDC_BUTTON_UPLOAD)->mapToGlobal(QPoint(0, 0)));
    EXPECT_TRUE(property->isVisible());
    EXPECT_EQ(property->PendingFiles().size(), 1u);
    EXPECT_EQ(Prepath("upload"), "");
}

TEST_F(PropertyDlgTest, FullWidthCharactersInTheTagAreColouredRedAndSelected) {
    CUICPropertyDlg* property = Next({File("a.txt", 10)});
    ASSERT_NE(property, nullptr);
    prompts.ClearCalls();
    prompts.QueueMessageBoxResult(IDOK);
    QTextEdit* tag = Field<QTextEdit>(property, IDC_RICHEDIT_TAG);
    tag->setPlainText(ToQString("ab，c"));
    property->OnBnClickedButtonUpload();
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "对不起，您输入的文本不能含有全角字符， 请重试!");
    QTextCursor cursor(tag->document());
    cursor.setPosition(3);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(tag->textCursor().selectedText(), ToQString("ab，c"));
}

TEST_F(PropertyDlgTest, HidingTheUploadDialogHidesThePropertyDialogToo) {
    CUICPropertyDlg* property = Next({File("a.txt", 10)});
    ASSERT_NE(property, nullptr);
    ASSERT_TRUE(property->isVisible());
    component->OnNetworkState(0);
    EXPECT_FALSE(property->isVisible());
    EXPECT_FALSE(upload->isVisible());
}

}  // namespace
