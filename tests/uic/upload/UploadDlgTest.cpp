// The upload dialog driven as a user would, through the component, the scripted prompts and skin, the
// test host and a mock engine adapter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include "CatalogNodes.h"
#include "UploadDialogFixture.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/PrivateProfile.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/controls/SkinSplitterCtrl.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/UICProgressDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "xml/XML.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::SaveArg;

std::string CatalogDoc(int maxFiles = 5, uint64_t maxSize = 1048576, uint64_t spare = 5 * 1048576) {
    return CatalogResult("http://127.0.0.1:8090/lumenoApp/share/pc_uploadFileRequest",
                         CatalogNode("root", "", "top") + CatalogNode("11", "root", "我的文件夹") +
                             CatalogNode("12", "root", "照片") + CatalogNode("13", "12", "2020", 1),
                         "<MaxUploadFilesNumber>" + std::to_string(maxFiles) + "</MaxUploadFilesNumber>" +
                             "<MaxUploadFilesSize>" + std::to_string(maxSize) + "</MaxUploadFilesSize>" +
                             "<SpareSize>" + std::to_string(spare) + "</SpareSize>");
}

// Each row of the engine's answer gets the next task id.
long AssignTaskIds(UploadFileList& files) {
    long id = 11;
    for (tagUploadFileEntry& file : files) {
        file.strFileID = std::to_string(id++);
    }
    return 0;
}

auto StartsTasks() {
    return Invoke([](UploadFileList& files, const tagUploadInfo&, long) { return AssignTaskIds(files); });
}

class UploadDlgTest : public UploadDialogFixture {
protected:
    void SetUp() override {
        UploadDialogFixture::SetUp();
        dialog = ShowUploadDialog(CatalogDoc());
        ASSERT_NE(dialog, nullptr);
        WritePrivateProfileString("PREPATH", "upload", nullptr, ConfigFile().c_str());
    }

    std::string Picture(const std::string& name) {
        const QString path = m_files.path() + "/" + ToQString(name);
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path));
        return FromQString(path);
    }
    void Choose(std::vector<std::string> files) {
        prompts.QueueOpenFiles(std::move(files));
        dialog->OnBnClickedButtonChoose();
    }
    std::string Line(int id) const {
        auto* label = qobject_cast<QLabel*>(GetDlgItem(dialog, id));
        return label && label->isVisibleTo(dialog) ? FromQString(label->text()) : "(hidden)";
    }
    QTextEdit* Tag() const { return qobject_cast<QTextEdit*>(GetDlgItem(dialog, IDC_RICHEDIT_TAG)); }
    QPlainTextEdit* Description() const {
        return qobject_cast<QPlainTextEdit*>(GetDlgItem(dialog, IDC_EDIT_DESCRIPTION));
    }
    QPoint UploadButtonPoint() const {
        return GetDlgItem(dialog, IDC_BUTTON_UPLOAD)->mapToGlobal(QPoint(0, 0));
    }

    CUICUploadDlg* dialog = nullptr;
};

TEST_F(UploadDlgTest, ShowUploadBuildsTheGoalTreeAndShowsTheLimits) {
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(component->GetComponentHwnd(), dialog);
    EXPECT_EQ(dialog->Combo()->GetWindowText(), "我的网盘\\照片\\2020");
    EXPECT_NE(dialog->Combo()->FindPath("我的网盘\\我的文件夹"), nullptr);
    EXPECT_EQ(Line(IDC_STATIC_SPARESIZE), "spare 5 MB");
    EXPECT_EQ(Line(IDC_STATIC_UPLOADSIZE), "0 B of 1 MB");
    EXPECT_EQ(Line(IDC_STATIC_SIZEERROR), "(hidden)");
    EXPECT_EQ(dialog->size(), QSize(458, 500));
}

TEST_F(UploadDlgTest, ChosenFilesAreListedOnceWithTheirSizes) {
    const std::string a = File("a.txt", 1500);
    const std::string readme = File("README", 10);
    Choose({a, readme});
    Choose({a, File("b.doc", 1024)});
    EXPECT_TRUE(skin.Tips().empty());

    CUICUpLoadListCtrl* list = dialog->List();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 1), "a.txt");
    EXPECT_EQ(list->GetItemText(0, 2), "(2 KB)");
    EXPECT_EQ(list->GetItemText(1, 1), "README");
    EXPECT_EQ(list->GetItemText(2, 1), "b.doc");
    EXPECT_EQ(dialog->Rules().ListedTotal(), 2534u);
    EXPECT_EQ(Line(IDC_STATIC_UPLOADSIZE), "3 KB of 1 MB");
    EXPECT_EQ(prompts.Calls().at(0).options.filter, "(*.*)|*.*|(*.doc)|*.doc|(*.txt)|*.txt|");
}

TEST_F(UploadDlgTest, CancelledChooserAddsNothingAndRefreshesTheSizeLine) {
    Choose({});
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    EXPECT_TRUE(skin.Tips().empty());
    EXPECT_EQ(Line(IDC_STATIC_UPLOADSIZE), "0 B of 1 MB");
}

TEST_F(UploadDlgTest, DeletingTheLastRowBringsTheTotalBackToZero) {
    Choose({File("a.txt", 2048)});
    CUICUpLoadListCtrl* list = dialog->List();
    const QPoint face = list->ButtonRect(0, 4).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, face);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, face);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(dialog->Rules().ListedTotal(), 0u);
    EXPECT_EQ(Line(IDC_STATIC_UPLOADSIZE), "0 B of 1 MB");
}

TEST_F(UploadDlgTest, SizesOverTheLimitTurnTheSizeLineIntoTheErrorLine) {
    Choose({File("big.bin", 1048577)});
    EXPECT_EQ(Line(IDC_STATIC_SIZEERROR), "over 1 MB");
    EXPECT_EQ(Line(IDC_STATIC_UPLOADSIZE), "(hidden)");
}

TEST_F(UploadDlgTest, UploadHandsEveryFileToTheEngineAndFollowsItsTasks) {
    const std::string photo = Picture("photo.png");
    const std::string readme = File("README", 100);
    Choose({photo, readme});
    Tag()->setPlainText(ToQString("旅行,海边"));
    Description()->setPlainText(ToQString("夏天的照片"));

    UploadFileList entries;
    tagUploadInfo info;
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(DoAll(Invoke([&](UploadFileList& files, const tagUploadInfo& request, long) {
                            AssignTaskIds(files);
                            entries = files;
                            info = request;
                        }),
                        Return(0)));
    QTest::mouseClick(GetDlgItem(dialog, IDC_BUTTON_UPLOAD), Qt::LeftButton);

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].strFilePath, photo);
    EXPECT_EQ(entries[0].nMiniatureFlag, 1);
    EXPECT_EQ(entries[0].strMiniatureName, CToolsHelp::GetProgramDir() + "Miniature/photo.png_Miniature.jpg");
    EXPECT_GT(entries[0].ullMiniatureSize, 0u);
    EXPECT_EQ(entries[1].strFilePath, readme);  // no dot, yet a file
    EXPECT_EQ(entries[1].ullFileSize, 100u);
    EXPECT_EQ(entries[1].nMiniatureFlag, 0);
    EXPECT_EQ(entries[1].strDescription, "夏天的照片");
    EXPECT_EQ(entries[1].strGoalPath, "我的网盘\\照片\\2020");
    EXPECT_EQ(info.strHost, "127.0.0.1");
    EXPECT_EQ(info.nPort, 8090);
    EXPECT_EQ(info.strRequestPath, "lumenoApp/share/pc_uploadFileRequest");
    EXPECT_EQ(info.strTargetCatalogID, "13");
    EXPECT_EQ(info.strTag, "旅行,海边");
    EXPECT_EQ(info.strSSOKey, "login-ticket");

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->TaskIds(), (std::set<int32_t>{11, 12}));
    EXPECT_TRUE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
    EXPECT_EQ(GetPrivateProfileString("PREPATH", "upload", "", ConfigFile().c_str()), "我的网盘\\照片\\2020");
    EXPECT_EQ(GetPrivateProfileString("PREPATH", "netdiskdownload", "", ConfigFile().c_str()),
              "我的网盘\\照片\\2020");

    // One task still running: the list stays; both done: the list clears and the disk page refreshes.
    auto progress = [](uint64_t done, int32_t state) {
        return Invoke([=](long, tagUploadProgress& out) {
            out.ullDone = done;
            out.nState = state;
            return 0;
        });
    };
    EXPECT_CALL(adapter, GetProgress(11, ::testing::An<tagUploadProgress&>()))
        .WillOnce(progress(50, TASK_RUNNING))
        .WillOnce(progress(100, TASK_FINISHED));
    EXPECT_CALL(adapter, GetProgress(12, ::testing::An<tagUploadProgress&>()))
        .WillOnce(progress(100, TASK_FINISHED))
        .WillOnce(progress(100, TASK_FINISHED));
    ASSERT_NE(dialog->ProgressDlg(), nullptr);
    EXPECT_FALSE(dialog->ProgressDlg()->isVisible());
    auto* progressText = qobject_cast<QLabel*>(GetDlgItem(dialog->ProgressDlg(), IDC_STATIC_PROGRESS_TEXT));
    ASSERT_NE(progressText, nullptr);
    dialog->OnTimer(TIMER_UPLOAD_FILE);
    EXPECT_EQ(dialog->List()->GetItemCount(), 2);
    EXPECT_TRUE(host.netDisk.flashRequests.empty());
    // 150 bytes in the first second.
    EXPECT_THAT(FromQString(progressText->text()), ::testing::EndsWith("%，150 Bps"));

    dialog->OnTimer(TIMER_UPLOAD_FILE);
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
    EXPECT_TRUE(dialog->TaskIds().empty());
    EXPECT_EQ(FromQString(progressText->text()), "IDS_UPLOAD_INFO_SUCCESS");
    ASSERT_EQ(host.netDisk.flashRequests.size(), 1u);
    EXPECT_NE(host.netDisk.flashRequests[0].find("198626"), std::string::npos);
}

TEST_F(UploadDlgTest, EnterInTheTagFieldStartsTheUpload) {
    Choose({File("a.txt", 10)});
    EXPECT_CALL(adapter, StartUpload(_, _, 0)).WillOnce(StartsTasks());
    Tag()->setFocus();
    QTest::keyClick(Tag(), Qt::Key_Return);
    EXPECT_EQ(dialog->TaskIds(), (std::set<int32_t>{11}));
}

TEST_F(UploadDlgTest, BusyEngineGetsTheBusyTipAndNothingStarts) {
    Choose({File("a.txt", 10)});
    EXPECT_CALL(adapter, GetUIPState()).WillOnce(Return(0));
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    dialog->OnBnClickedButtonUpload();
    ASSERT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_TIP_BUSY"});
    EXPECT_EQ(skin.Tips()[0].point, UploadButtonPoint());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
}

TEST_F(UploadDlgTest, EngineThatStartsNothingLeavesTheListForAnotherTry) {
    Choose({File("a.txt", 10)});
    EXPECT_CALL(adapter, StartUpload(_, _, 0)).WillOnce(Return(-1));
    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_TIP_BUSY"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->List()->GetItemCount(), 1);
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
}

TEST_F(UploadDlgTest, RefusedTagsAndDescriptionsKeepTheDialogOpen) {
    Choose({File("a.txt", 10)});
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    Tag()->setPlainText("sea side");
    dialog->OnBnClickedButtonUpload();
    Tag()->setPlainText("sea");
    Description()->setPlainText("time: noon");
    dialog->OnBnClickedButtonUpload();
    host.login.unsafeWords = "war";
    Description()->setPlainText("a war story");
    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(TipTexts(),
              (std::vector<std::string>{"IDS_UPLOAD_INFO_TAG_LAWLESS", "IDS_UPLOAD_INFO_DESCRIPTION_ERROR",
                                        "IDS_UPLOAD_INFO_DESCRIPTION_ERROR"}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->List()->GetItemCount(), 1);
}

TEST_F(UploadDlgTest, FullWidthTagAsksTheMessageBoxAndColoursTheCharactersRed) {
    Choose({File("a.txt", 10)});
    prompts.QueueMessageBoxResult(IDOK);
    Tag()->setPlainText(ToQString("ab，c"));
    dialog->OnBnClickedButtonUpload();
    ASSERT_EQ(prompts.Calls().size(), 2u);  // the chooser, then the box
    EXPECT_EQ(prompts.Calls()[1].text, "对不起，您输入的文本不能含有全角字符， 请重试!");
    EXPECT_EQ(prompts.Calls()[1].caption, "提示");
    QTextCursor cursor(Tag()->document());
    cursor.setPosition(3);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0xFF, 0, 0));
    cursor.setPosition(2);
    EXPECT_NE(cursor.charFormat().foreground().color(), QColor(0xFF, 0, 0));
}

TEST_F(UploadDlgTest, SpareSizeOneByteOverAsksTheDiskPageWithoutTip) {
    ASSERT_EQ(component->SetPreUploadParameterss(CatalogDoc(5, 1048576, 1000)), 0);
    Choose({File("a.txt", 1001)});
    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(host.netDisk.spaceNotices, 1);
    EXPECT_TRUE(skin.Tips().empty());
    EXPECT_EQ(Line(IDC_STATIC_SPARESIZE), "spare 1000 B");
}

TEST_F(UploadDlgTest, ProgressTextsAndEmptyFiles) {
    Choose({File("a.bin", 100000)});
    EXPECT_CALL(adapter, StartUpload(_, _, 0)).WillOnce(StartsTasks());
    dialog->OnBnClickedButtonUpload();
    const tagUploadProgressText progress = dialog->UploadRunning(45000);
    EXPECT_EQ(progress.nPercent, 45);
    EXPECT_EQ(progress.strText, "45%，44 KBps");
    EXPECT_EQ(dialog->UploadComplete(2, 1), "2 done, 1 failed");
    EXPECT_EQ(dialog->UploadComplete(3, 0), "IDS_UPLOAD_INFO_SUCCESS");

    // Only empty files: no bytes to divide by.
    ASSERT_EQ(component->ShowUpload(CatalogDoc(), nullptr), 0);
    Choose({File("empty.txt", 0)});
    EXPECT_CALL(adapter, StartUpload(_, _, 0)).WillOnce(StartsTasks());
    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(dialog->UploadRunning(0).strText, "0%，0 Bps");
}

TEST_F(UploadDlgTest, CurrentFolderModeBuildsNoTreeAndDropsGoIntoTheHostsFolderWithoutPolling) {
    dialog->OnBnClickedButtonCanecl();
    ASSERT_EQ(component->ShowUpload(nullptr, CatalogDoc(), 1), 0);
    EXPECT_EQ(dialog->Combo()->FindPath("我的网盘"), nullptr);
    Choose({File("a.txt", 10)});
    UploadFileList entries;
    tagUploadInfo info;
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(DoAll(Invoke([&](UploadFileList& files, const tagUploadInfo& request, long) {
                            AssignTaskIds(files);
                            entries = files;
                            info = request;
                        }),
                        Return(0)));
    // Without a goal to choose the Upload button does nothing.
    dialog->OnBnClickedButtonUpload();
    EXPECT_TRUE(entries.empty());

    std::vector<std::string> dropped{File("b.txt", 20)};
    ASSERT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(), dropped, {}, 0), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].strGoalPath, "我的网盘\\照片\\2020");
    EXPECT_EQ(info.strTargetCatalogID, "13");
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_FILE));
}

TEST_F(UploadDlgTest, DroppedFilesOverTheCountAreRefusedWithAMessageBox) {
    std::vector<std::string> dropped{File("a.txt", 1), File("b.txt", 1), File("c.txt", 1)};
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    EXPECT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(2), dropped, {}, 0), -1);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text,
              "IDS_UPLOAD_INFO_FILEMAXNUMEEXCEED2IDS_UPLOAD_INFO_FILEMAXNUMEEXCEEDES");
}

TEST_F(UploadDlgTest, CancelClearsTheListAndTheTree) {
    Choose({File("a.txt", 10)});
    QTest::mouseClick(GetDlgItem(dialog, IDC_BUTTON_CANECL), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    EXPECT_EQ(dialog->Rules().ListedTotal(), 0u);
    EXPECT_EQ(dialog->Combo()->FindPath("我的网盘"), nullptr);
    EXPECT_TRUE(dialog->Catalog().Records().empty());
}

TEST_F(UploadDlgTest, SplittersMoveTheirControlsWithinTheRangesTheSizeGives) {
    auto* hor = static_cast<CSkinSplitterCtrl*>(GetDlgItem(dialog, IDC_SPLITTER_HOR));
    auto* ver = static_cast<CSkinSplitterCtrl*>(GetDlgItem(dialog, IDC_SPLITTER_VER));
    QWidget* caption = GetDlgItem(dialog, IDC_STATIC_LIST_CAPTION);
    QWidget* spare = GetDlgItem(dialog, IDC_STATIC_SPARESIZE);
    ASSERT_TRUE(hor && ver && caption && spare);

    // A restored size posts both ranges to the dialog itself.
    dialog->resize(520, 560);
    QCoreApplication::sendPostedEvents(dialog);
    EXPECT_EQ(hor->RangeBefore(), hor->y() - 200);
    EXPECT_EQ(hor->RangeAfter(), 560 - (hor->y() + hor->height()) - 150);
    EXPECT_EQ(ver->RangeBefore(), 0);  // less than 120 pixels from the left edge

    const QPoint captionAt = caption->pos();
    EXPECT_EQ(hor->MoveBy(10), 10);
    EXPECT_EQ(caption->pos(), captionAt + QPoint(0, 10));
    const int room = hor->RangeBefore();
    EXPECT_EQ(hor->MoveBy(-1000), -room);
    EXPECT_EQ(hor->RangeBefore(), 0);

    ver->SetRange(0, 30);
    const QPoint spareAt = spare->pos();
    const int horWidth = hor->width();
    EXPECT_EQ(ver->MoveBy(40), 30);
    EXPECT_EQ(spare->pos(), spareAt + QPoint(30, 0));
    EXPECT_EQ(hor->width(), horWidth - 30);
}

}  // namespace
