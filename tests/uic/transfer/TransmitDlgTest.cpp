#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "function/DialogItem.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/AppProfile.h"
#include "platform/CodePage.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedShell.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSound.h"
#include "platform/Services.h"
#include "platform/WindowMessage.h"
#include "uic/UICUploadFile/controls/SkinControlPanel.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/UICSuspendDlg.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::SetArgReferee;

tagFileInfo Record(int32_t id, const std::string& path, uint64_t size, int32_t state) {
    tagFileInfo record;
    record.nFileID = id;
    record.strFilePath = path;
    record.ullFileSize = size;
    record.nState = state;
    record.strNetPath = "我的网盘\\照片";
    return record;
}

// A component with a mock adapter, the scripted host and scripted desktop services; the transfer list is
// opened through the component as the host would.
class TransmitDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        Services::SetSkin(&skin);
        Services::SetPrompts(&prompts);
        Services::SetSound(&sound);
        Services::SetShell(&shell);
        WriteProfileString("Nimbra", "UploadSuspend", nullptr);
        const std::pair<const char*, const char*> texts[] = {
            {"IDS_UPLOAD_TRANSMIT_UPLOADED", "已上传"},
            {"IDS_UPLOAD_TRANSMIT_UPLOADED_EXTRA", "已上传(%d)"},
            {"IDS_UPLOAD_TRANSMIT_DOWNLOADED", "已下载"},
            {"IDS_UPLOAD_TRANSMIT_DOWNLOADED_EXTRA", "已下载(%d)"},
            {"IDS_UPLOAD_TRANSMIT_DELETE", "确定删除吗?"},
            {"IDS_UPLOAD_TRANSMIT_DELETE_ALLITEMS", "确定删除这%d项吗?"},
            {"IDS_UPLOAD_TRANSMIT_MENU_START", "开始"},
            {"IDS_UPLOAD_TRANSMIT_MENU_PAUSE", "暂停"},
            {"IDS_UPLOAD_TRANSMIT_MENU_DELETE", "删除"},
            {"IDS_UPLOAD_TRANSMIT_MENU_OPEN", "打开"},
            {"IDS_UPLOAD_TRANSMIT_MENU_SELECTALL", "全选"},
            {"IDS_UPLOAD_TRANSMIT_MENU_STARTALL", "全部开始"},
            {"IDS_UPLOAD_TRANSMIT_MENU_PAUSEALL", "全部暂停"},
            {"IDS_UPLOAD_TRANSMIT_MENU_DELETEALL", "全部删除"},
            {"IDS_UPLOAD_ERROR_9476", "登录已过期"},
            {"IDS_UPLOAD_ERROR_UNKNOW", "未知错误%d"},
            {"IDS_UPLOAD_INFO_RESUME_FAILED", "继续失败"},
            {"IDS_UPLOAD_ERROR_8000", "网络连接失败"},
            {"IDS_UPLOAD_INFO_NEXT_TRY", "%s，%d 秒后重试"},
        };
        for (const auto& [key, text] : texts) {
            host.lang.texts[{"UPLOAD", key}] = text;
        }
        host.lang.texts[{"GLOBAL", "IDS_GLOBAL_INFO_CONFIRM"}] = "确认";
        ON_CALL(adapter, InitUIPComp()).WillByDefault(Return(0));
        ON_CALL(adapter, GetTaskList(_, _)).WillByDefault(Invoke([this](long isUpload, FileInfoMap& tasks) {
            tasks = isUpload ? engineUploads : engineDownloads;
            return 0;
        }));
        // Tasks without figures of their own are not answered by the engine.
        EXPECT_CALL(adapter, GetProgress(_, _, ::testing::An<tagFileInfo&>()))
            .Times(::testing::AnyNumber())
            .WillRepeatedly(Return(-1));
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetSkin(nullptr);
        Services::SetPrompts(nullptr);
        Services::SetSound(nullptr);
        Services::SetShell(nullptr);
        g_IOrvaLange = nullptr;
    }

    CUICTransmitDlg* Open() {
        component = CreateUIInstance<CUICUploadComp>();
        CUICTransmitDlg* dialog = component->GetTransmitDlg();
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    // The engine answers the next progress query for the task with these figures.
    void Progress(int32_t id, uint64_t done, int32_t state, uint64_t size = 0) {
        EXPECT_CALL(adapter, GetProgress(id, _, ::testing::An<tagFileInfo&>()))
            .WillRepeatedly(Invoke([=](long, long, tagFileInfo& info) {
                info.ullDoneSize = done;
                info.nState = state;
                if (size) {
                    info.ullFileSize = size;
                }
                return 0;
            }));
    }
    QString Cell(CUICTransmitDlg* dialog, int row, int column) {
        return dialog->ListModel()->Text(row, column);
    }
    QString ButtonText(CUICTransmitDlg* dialog, int id) {
        return GetDlgItem(dialog, id)->property("text").toString();
    }
    void SelectRows(CUICTransmitDlg* dialog, std::initializer_list<int> rows) {
        dialog->List()->clearSelection();
        for (const int row : rows) {
            dialog->List()->selectionModel()->select(dialog->ListModel()->index(row, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    testhost::TestHost host;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    ScriptedSkin skin;
    ScriptedPrompts prompts;
    ScriptedSound sound;
    ScriptedShell shell;
    FileInfoMap engineUploads;
    FileInfoMap engineDownloads;
    CUICUploadComp* component = nullptr;
};

TEST_F(TransmitDlgTest, OpeningLoadsBothTaskListsAndFollowsOnlyLiveDownloads) {
    engineUploads[1] = Record(1, "/data/a.txt", 100, TASK_RUNNING);
    engineDownloads[7] = Record(7, "/down/b.bin", 100, TASK_RUNNING);
    EXPECT_CALL(adapter, InitUIPComp()).WillOnce(Return(0));
    CUICTransmitDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->UploadInfo().size(), 1u);
    EXPECT_EQ(dialog->DownloadInfo().size(), 1u);
    EXPECT_TRUE(dialog->IsTimerRunning(CUICTransmitDlg::kDownloadTimer));
    EXPECT_FALSE(dialog->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
    EXPECT_EQ(dialog->size(), QSize(458, 500));
    ASSERT_FALSE(skin.AppliedSkins().empty());
    EXPECT_EQ(skin.AppliedSkins()[0].skinName, "DlgTransmit");
}

TEST_F(TransmitDlgTest, AnAdapterThatCannotStartKeepsTheListClosed) {
    EXPECT_CALL(adapter, InitUIPComp()).WillOnce(Return(-1));
    component = CreateUIInstance<CUICUploadComp>();
    EXPECT_EQ(component->GetTransmitDlg(), nullptr);
    EXPECT_EQ(component->ShowTransmit(1), -1);
}

TEST_F(TransmitDlgTest, ARefreshTickFillsTheRowAndTheFloatingWindow) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(5, "/data/pictures/photo.jpg", 4 * 1048576, TASK_RUNNING)};
    dialog->AddUpload(&batch);
    ASSERT_EQ(dialog->ListModel()->rowCount(), 1);
    EXPECT_TRUE(dialog->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
    EXPECT_EQ(Cell(dialog, 0, 2), "photo.jpg");
    EXPECT_EQ(Cell(dialog, 0, 3), "4.00 MB");
    EXPECT_EQ(Cell(dialog, 0, 8), "/data/pictures");

    Progress(5, 1048576, TASK_RUNNING);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_TRUE(dialog->IsUploadRefreshing());
    EXPECT_EQ(Cell(dialog, 0, 4), "25.0%");
    EXPECT_EQ(Cell(dialog, 0, 5), "1.00 MB/S");
    EXPECT_EQ(Cell(dialog, 0, 6), "00:00:03");
    EXPECT_EQ(Cell(dialog, 0, 7), "00:00:01");
    EXPECT_EQ(Cell(dialog, 0, 9), ToQString("我的网盘\\照片"));
    EXPECT_EQ(dialog->ListModel()->Image(0), 6);
    CUICSuspendDlg* suspend = component->GetSuspendDlg();
    ASSERT_NE(suspend, nullptr);
    EXPECT_TRUE(suspend->isVisible());
    EXPECT_EQ(GetDlgItem(suspend, IDC_STATIC_SUSPEND_UPLOAD)->property("text").toString(), "25.0%");
    EXPECT_FALSE(GetDlgItem(suspend, IDC_STATIC_SUSPEND_LOGO)->isVisible());
}

TEST_F(TransmitDlgTest, FinishingCountsOnTheUploadedButtonUnlessThatViewIsShown) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/data/a.txt", 1000, TASK_RUNNING),
                       Record(2, "/data/b.txt", 1000, TASK_RUNNING)};
    dialog->AddUpload(&batch);
    Progress(1, 999, TASK_FINISHED);
    Progress(2, 500, TASK_RUNNING);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    ASSERT_EQ(sound.Played().size(), 1u);
    EXPECT_EQ(sound.Played()[0], CToolsHelp::GetProgramDir() + "sound/File.wav");
    EXPECT_EQ(ButtonText(dialog, IDC_VIEW_UPLOADED), ToQString("已上传(1)"));
    // The finished row leaves the uploading view.
    ASSERT_EQ(dialog->ListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(dialog, 0, 2), "b.txt");

    dialog->DisposePanelLeft(IDC_VIEW_UPLOADED);
    EXPECT_EQ(ButtonText(dialog, IDC_VIEW_UPLOADED), ToQString("已上传"));
    ASSERT_EQ(dialog->ListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(dialog, 0, 2), "a.txt");
    Progress(2, 1000, TASK_FINISHED);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_EQ(sound.Played().size(), 2u);
    EXPECT_EQ(ButtonText(dialog, IDC_VIEW_UPLOADED), ToQString("已上传"));
    EXPECT_EQ(dialog->ListModel()->rowCount(), 2);
    // The next tick finds nothing running: the timer stops and the idle floating window shows its logo.
    EXPECT_TRUE(dialog->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_FALSE(dialog->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
    EXPECT_FALSE(dialog->IsUploadRefreshing());
    EXPECT_TRUE(GetDlgItem(component->GetSuspendDlg(), IDC_STATIC_SUSPEND_LOGO)->isVisible());
}

TEST_F(TransmitDlgTest, ASilentFinishStillUpdatesTheTextsAndTheCounter) {
    sound.SetResult(false);
    CUICTransmitDlg* dialog = Open();
    dialog->DisposePanelLeft(IDC_VIEW_DOWNLOADING);
    tagFileInfo download = Record(3, "/down/c.bin", 0, TASK_RUNNING);
    dialog->AddDownload(&download);
    Progress(3, 2048, TASK_FINISHED, 2048);
    dialog->OnTimer(CUICTransmitDlg::kDownloadTimer);
    const tagFileInfo& record = dialog->DownloadInfo().at(3);
    EXPECT_EQ(record.ullFileSize, 2048u);
    EXPECT_EQ(record.strProgress, "100.0%");
    EXPECT_EQ(record.strSpeed, "2.00 KB/S");
    EXPECT_EQ(ButtonText(dialog, IDC_VIEW_DOWNLOADED), ToQString("已下载(1)"));
}

TEST_F(TransmitDlgTest, FailedTasksShowTheirErrorAndAnExpiredSignOnIsReported) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/data/a.txt", 1000, TASK_RUNNING),
                       Record(2, "/data/b.txt", 1000, TASK_WAITING)};
    dialog->AddUpload(&batch);
    Progress(1, 10, TASK_FAILED);
    Progress(2, 10, TASK_FAILED);
    EXPECT_CALL(adapter, GetErrorCode(1, 1)).WillOnce(Return(9476));
    EXPECT_CALL(adapter, GetErrorCode(2, 1)).WillOnce(Return(1234));
    EXPECT_CALL(adapter, SetSSOFlag(1)).Times(1);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_EQ(dialog->UploadInfo().at(1).strError, "登录已过期");
    EXPECT_EQ(dialog->UploadInfo().at(2).strError, "未知错误1234");
    SelectRows(dialog, {1});
    EXPECT_EQ(FromQString(GetDlgItem(dialog, IDC_STATIC_TRANSMIT_ERROR)->property("text").toString()),
              "未知错误1234");
}

TEST_F(TransmitDlgTest, AWaitingTaskCutOffByTheNetworkSaysWhenTheEngineTriesAgain) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/data/a.txt", 1000, TASK_RUNNING),
                       Record(2, "/data/b.txt", 1000, TASK_RUNNING)};
    dialog->AddUpload(&batch);
    Progress(1, 10, TASK_WAITING);
    Progress(2, 10, TASK_WAITING);
    EXPECT_CALL(adapter, GetNextTry(1, 1)).WillOnce(Return(8)).WillOnce(Return(-1));
    EXPECT_CALL(adapter, GetNextTry(2, 1)).WillRepeatedly(Return(-1));  // queued, nothing went wrong
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_EQ(dialog->UploadInfo().at(1).strError, "网络连接失败，8 秒后重试");
    EXPECT_EQ(dialog->UploadInfo().at(2).strError, "");
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);  // tried again: the text goes
    EXPECT_EQ(dialog->UploadInfo().at(1).strError, "");
}

TEST_F(TransmitDlgTest, HeaderClicksSortHighestFirstThenReverseAndRestartOnAnotherColumn) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/file10.txt", 300, TASK_WAITING),
                       Record(2, "/d/file9.txt", 100, TASK_WAITING),
                       Record(3, "/d/file1.txt", 200, TASK_WAITING)};
    dialog->AddUpload(&batch);
    auto names = [&] {
        std::vector<std::string> out;
        for (int row = 0; row < dialog->ListModel()->rowCount(); ++row) {
            out.push_back(FromQString(Cell(dialog, row, 2)));
        }
        return out;
    };
    using V = std::vector<std::string>;
    dialog->OnHdnItemclickListShow(2);
    EXPECT_EQ(names(), (V{"file10.txt", "file9.txt", "file1.txt"}));
    dialog->OnHdnItemclickListShow(2);
    EXPECT_EQ(names(), (V{"file1.txt", "file9.txt", "file10.txt"}));
    dialog->OnHdnItemclickListShow(3);
    EXPECT_EQ(names(), (V{"file10.txt", "file1.txt", "file9.txt"}));
    dialog->OnHdnItemclickListShow(0);  // the hidden column does not sort
    EXPECT_EQ(names(), (V{"file10.txt", "file1.txt", "file9.txt"}));
    // Rows keep their records: a refresh after sorting writes into the right row.
    Progress(2, 50, TASK_RUNNING);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_EQ(Cell(dialog, 2, 4), "50.0%");
}

TEST_F(TransmitDlgTest, FinishedViewsUseTheReducedColumnsAndProgressViewsGetTheFullSetBack) {
    CUICTransmitDlg* dialog = Open();
    EXPECT_EQ(dialog->ListModel()->columnCount(), 10);
    dialog->DisposePanelLeft(IDC_VIEW_UPLOADED);
    EXPECT_EQ(dialog->ListModel()->columnCount(), 8);
    dialog->DisposePanelLeft(IDC_VIEW_DOWNLOADING);
    EXPECT_EQ(dialog->ListModel()->columnCount(), 10);
    EXPECT_EQ(dialog->IsUpload(), 0);
    EXPECT_EQ(dialog->List()->columnWidth(0), 0);
    EXPECT_EQ(dialog->List()->columnWidth(4), 50);

    // Dragging a divider: column 0 stays hidden, others keep 20 pixels, the last column fills up after.
    QTableView* list = dialog->List();
    list->setColumnWidth(0, 30);
    list->setColumnWidth(3, 5);
    EXPECT_EQ(list->columnWidth(0), 0);
    EXPECT_EQ(list->columnWidth(3), 20);
    const int lastBefore = list->columnWidth(9);
    list->setColumnWidth(2, 150);
    EXPECT_EQ(list->columnWidth(9), lastBefore);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->horizontalHeader()->viewport(), &release);
    int others = 0;
    for (int column = 0; column < 9; ++column) {
        others += list->columnWidth(column);
    }
    EXPECT_EQ(list->columnWidth(9), std::max(20, list->contentsRect().width() - others));
}

TEST_F(TransmitDlgTest, PanelUnitsReachTheListThroughTheSkinNotice) {
    CUICTransmitDlg* dialog = Open();
    static_cast<QPushButton*>(GetDlgItem(dialog, IDC_VIEW_DOWNLOADED))->click();
    EXPECT_EQ(dialog->CurView(), IDC_VIEW_DOWNLOADED);
    EXPECT_TRUE(static_cast<QPushButton*>(GetDlgItem(dialog, IDC_VIEW_DOWNLOADED))->isChecked());
    EXPECT_FALSE(static_cast<QPushButton*>(GetDlgItem(dialog, IDC_VIEW_UPLOADING))->isChecked());

    dialog->DisposePanelLeft(IDC_VIEW_UPLOADING);
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_PAUSED)};
    dialog->AddUpload(&batch);
    SelectRows(dialog, {0});
    static_cast<QPushButton*>(GetDlgItem(dialog, IDC_BUTTON_DELETE))->click();
    ASSERT_EQ(prompts.Calls().size(), 1u);  // the delete question, answered by dismissing it

    tagSkinNotify beside{SKIN_NOTIFY_PANEL, SKIN_PANEL_CLICK, IDC_PANEL_TOP, 0};
    EXPECT_EQ(SendMessage(dialog, WM_SKIN_NOTIFY, 0, reinterpret_cast<LPARAM>(&beside)), -1);
}

TEST_F(TransmitDlgTest, MenusDependOnTheViewAndTheSelection) {
    CUICTransmitDlg* dialog = Open();
    dialog->OnNMRclickListShow(QPoint(1, 1));
    EXPECT_TRUE(skin.Menus().empty());  // an empty list has no menu

    engineUploads[1] = Record(1, "/d/a.txt", 10, TASK_FINISHED);
    engineUploads[2] = Record(2, "/d/b.txt", 10, TASK_FINISHED);
    FileInfoList batch{Record(3, "/d/c.txt", 10, TASK_PAUSED)};
    dialog->AddUpload(&batch);
    dialog->OnNMRclickListShow(QPoint(1, 1));
    SelectRows(dialog, {0});
    dialog->OnNMRclickListShow(QPoint(1, 1));
    component->Deregister();  // reloads the records from the engine on the next Reset
    dialog->Reset();
    dialog->DisposePanelLeft(IDC_VIEW_UPLOADED);
    SelectRows(dialog, {0});
    dialog->OnNMRclickListShow(QPoint(1, 1));
    SelectRows(dialog, {0, 1});
    dialog->OnNMRclickListShow(QPoint(1, 1));
    ASSERT_EQ(skin.Menus().size(), 4u);
    auto items = [&](size_t menu) { return skin.Menus()[menu].items.join("|"); };
    EXPECT_EQ(items(0), ToQString("全部开始|全部暂停|全部删除||全选"));
    EXPECT_EQ(items(1), ToQString("开始|暂停|删除||全选"));
    EXPECT_EQ(items(2), ToQString("打开|删除||全选|全部删除"));
    EXPECT_EQ(items(3), ToQString("删除||全选|全部删除"));
}

TEST_F(TransmitDlgTest, ButtonsFollowTheStatesOfTheSelectedRows) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_RUNNING), Record(2, "/d/b.txt", 10, TASK_PAUSED),
                       Record(3, "/d/c.txt", 10, TASK_NEW)};
    dialog->AddUpload(&batch);
    auto enabled = [&](int id) { return GetDlgItem(dialog, id)->isEnabled(); };
    EXPECT_FALSE(enabled(IDC_BUTTON_DELETE));
    SelectRows(dialog, {0});
    EXPECT_TRUE(enabled(IDC_BUTTON_PAUSE));
    EXPECT_FALSE(enabled(IDC_BUTTON_START));
    SelectRows(dialog, {1, 2});
    EXPECT_TRUE(enabled(IDC_BUTTON_START));
    EXPECT_FALSE(enabled(IDC_BUTTON_PAUSE));
    SelectRows(dialog, {2});
    EXPECT_FALSE(enabled(IDC_BUTTON_START));
    EXPECT_FALSE(enabled(IDC_BUTTON_PAUSE));
    EXPECT_TRUE(enabled(IDC_BUTTON_DELETE));
}

TEST_F(TransmitDlgTest, DeletingThreeRowsAsksWithTheCountAndKeepsRefusedRows) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_PAUSED), Record(2, "/d/b.txt", 10, TASK_PAUSED),
                       Record(3, "/d/c.txt", 10, TASK_PAUSED), Record(4, "/d/d.txt", 10, TASK_PAUSED)};
    dialog->AddUpload(&batch);
    SelectRows(dialog, {0, 1, 3});
    dialog->DisposePanelTop(IDC_BUTTON_DELETE);  // cancelled: nothing deleted
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "确定删除这3项吗?");
    EXPECT_EQ(prompts.Calls()[0].caption, "确认");
    EXPECT_EQ(prompts.Calls()[0].type, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(dialog->ListModel()->rowCount(), 4);

    EXPECT_CALL(adapter, DeleteTask(1, 1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, DeleteTask(2, 1)).WillOnce(Return(-1));
    EXPECT_CALL(adapter, DeleteTask(4, 1)).WillOnce(Return(0));
    prompts.QueueMessageBoxResult(IDOK);
    dialog->DisposePanelTop(IDC_BUTTON_DELETE);
    ASSERT_EQ(dialog->ListModel()->rowCount(), 2);
    EXPECT_EQ(Cell(dialog, 0, 2), "b.txt");
    EXPECT_EQ(Cell(dialog, 1, 2), "c.txt");
    EXPECT_EQ(dialog->UploadInfo().count(1), 0u);
    EXPECT_EQ(dialog->UploadInfo().count(2), 1u);
    ASSERT_NE(dialog->Tip().Window(), nullptr);
    EXPECT_TRUE(dialog->Tip().Window()->isVisible());

    SelectRows(dialog, {1});
    prompts.QueueMessageBoxResult(IDOK);
    EXPECT_CALL(adapter, DeleteTask(3, 1)).WillOnce(Return(0));
    dialog->OnCommand(ID_TRANSMIT_DELETE);
    EXPECT_EQ(prompts.Calls().back().text, "确定删除吗?");
}

TEST_F(TransmitDlgTest, StartOnAPausedRowThatTheEngineRefusesLeavesItPaused) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_PAUSED), Record(2, "/d/b.txt", 10, TASK_FAILED)};
    dialog->AddUpload(&batch);
    SelectRows(dialog, {0, 1});
    EXPECT_CALL(adapter, ResumeTask(1, 1)).WillOnce(Return(-1));
    EXPECT_CALL(adapter, ContTask(2, 1)).WillOnce(Return(0));
    dialog->DisposePanelTop(IDC_BUTTON_START);
    EXPECT_EQ(dialog->UploadInfo().at(1).nState, TASK_PAUSED);
    EXPECT_EQ(dialog->ListModel()->Image(0), 5);
    EXPECT_EQ(dialog->UploadInfo().at(2).nState, TASK_RUNNING);
    EXPECT_EQ(dialog->ListModel()->Image(1), 6);
    ASSERT_NE(dialog->Tip().Window(), nullptr);
    EXPECT_TRUE(dialog->Tip().Window()->isVisible());
}

TEST_F(TransmitDlgTest, PauseAllAndDoubleClickSteerTheEngine) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_RUNNING), Record(2, "/d/b.txt", 10, TASK_WAITING)};
    dialog->AddUpload(&batch);
    Progress(1, 5, TASK_RUNNING);
    dialog->OnTimer(CUICTransmitDlg::kUploadTimer);
    EXPECT_CALL(adapter, PauseTask(1, 1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, PauseTask(2, 1)).WillOnce(Return(0));
    dialog->OnCommand(ID_TRANSMIT_PAUSEALL);
    EXPECT_EQ(dialog->UploadInfo().at(1).nState, TASK_PAUSED);
    EXPECT_EQ(Cell(dialog, 0, 5), "");
    EXPECT_EQ(Cell(dialog, 0, 4), "50.0%");

    SelectRows(dialog, {0});
    EXPECT_CALL(adapter, ResumeTask(1, 1)).WillOnce(Return(0));
    dialog->OnNMDblclkListShow();
    EXPECT_EQ(dialog->UploadInfo().at(1).nState, TASK_RUNNING);
    EXPECT_TRUE(dialog->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
}

TEST_F(TransmitDlgTest, FinishedFilesOpenWithTheirProgramAndTheHostShowsOrHidesTheList) {
    engineDownloads[4] = Record(4, "/down/report.pdf", 10, TASK_FINISHED);
    CUICTransmitDlg* dialog = Open();
    EXPECT_EQ(component->ShowTransmit(1), 0);
    EXPECT_TRUE(dialog->isVisible());
    dialog->DisposePanelLeft(IDC_VIEW_DOWNLOADED);
    ASSERT_EQ(dialog->ListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(dialog, 0, 7), "/down");
    SelectRows(dialog, {0});
    dialog->OnNMDblclkListShow();
    dialog->OnCommand(ID_TRANSMIT_OPEN);
    EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"/down/report.pdf", "/down/report.pdf"}));
    EXPECT_EQ(component->ShowTransmit(0), 0);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TransmitDlgTest, EnterAndEscapeLeaveTheListOpenAndCtrlASelectsEveryRow) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_WAITING), Record(2, "/d/b.txt", 10, TASK_WAITING)};
    dialog->AddUpload(&batch);
    dialog->show();
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(dialog, &press);
        EXPECT_TRUE(dialog->isVisible()) << key;
    }
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(dialog->List(), &selectAll);
    EXPECT_EQ(dialog->List()->selectionModel()->selectedRows().size(), 2);
}

TEST_F(TransmitDlgTest, TheComponentPostsStartRequestsThatReachTheList) {
    CUICTransmitDlg* dialog = Open();
    std::string path = "/nonexistent/file.txt";
    std::string target = "10000000000011";
    EXPECT_CALL(adapter, StartUpload(_, _, _)).Times(0);
    EXPECT_EQ(component->OnComponentNotify(3005, reinterpret_cast<WPARAM>(path.c_str()),
                                           reinterpret_cast<LPARAM>(target.c_str())),
              0);
    QCoreApplication::processEvents();
    ASSERT_NE(dialog, nullptr);

    // A real file becomes a one-file upload to the configured server.
    const std::string file = testing::TempDir() + "transmit-upload.txt";
    { std::ofstream(file) << "twelve bytes"; }
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(Invoke([&](UploadFileList& files, const tagUploadInfo& info, long) {
            EXPECT_EQ(files.size(), 1u);
            EXPECT_EQ(files[0].strFilePath, file);
            EXPECT_EQ(files[0].ullFileSize, 12u);
            EXPECT_EQ(files[0].nMiniatureFlag, 0);  // not a picture
            EXPECT_EQ(info.strHost, "127.0.0.1");
            EXPECT_EQ(info.nPort, 8080);
            EXPECT_EQ(info.strRequestPath, "lumenoApp/share/pc_uploadFileRequest");
            EXPECT_EQ(info.strTargetCatalogID, target);
            return 0;
        }));
    EXPECT_EQ(component->OnComponentNotify(3005, reinterpret_cast<WPARAM>(file.c_str()),
                                           reinterpret_cast<LPARAM>(target.c_str())),
              0);
    QCoreApplication::processEvents();

    // A picture goes with its thumbnail.
    const std::string picture = testing::TempDir() + "transmit-upload.png";
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(QString::fromStdString(picture)));
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(Invoke([&](UploadFileList& files, const tagUploadInfo&, long) {
            EXPECT_EQ(files.at(0).nMiniatureFlag, 1);
            EXPECT_TRUE(std::filesystem::exists(files.at(0).strMiniatureName));
            EXPECT_GT(files.at(0).ullMiniatureSize, 0u);
            return 0;
        }));
    EXPECT_EQ(component->OnComponentNotify(3005, reinterpret_cast<WPARAM>(picture.c_str()),
                                           reinterpret_cast<LPARAM>(target.c_str())),
              0);
    QCoreApplication::processEvents();
}

TEST_F(TransmitDlgTest, PostedStartRequestsOutliveTheHostsStrings) {
    Open();
    const std::string file = testing::TempDir() + "transmit-outlive.txt";
    { std::ofstream(file) << "abc"; }
    EXPECT_CALL(adapter, StartUpload(_, _, 0))
        .WillOnce(Invoke([&](UploadFileList& files, const tagUploadInfo& info, long) {
            EXPECT_EQ(files.at(0).strFilePath, file);
            EXPECT_EQ(info.strTargetCatalogID, "10000000000011");
            return 0;
        }));
    {
        // The host's strings are gone, their memory reused, before the posted request is handled.
        auto path = std::make_unique<std::string>(file);
        auto target = std::make_unique<std::string>("10000000000011");
        EXPECT_EQ(component->OnComponentNotify(3005, reinterpret_cast<WPARAM>(path->c_str()),
                                               reinterpret_cast<LPARAM>(target->c_str())),
                  0);
        std::fill(path->begin(), path->end(), 'x');
        std::fill(target->begin(), target->end(), 'y');
    }
    QCoreApplication::processEvents();
}

TEST_F(TransmitDlgTest, HidingPausesLiveTasksAndResetReloadsThem) {
    CUICTransmitDlg* dialog = Open();
    FileInfoList batch{Record(1, "/d/a.txt", 10, TASK_RUNNING), Record(2, "/d/b.txt", 10, TASK_PAUSED)};
    dialog->AddUpload(&batch);
    EXPECT_CALL(adapter, PauseTask(1, 1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, PauseTask(2, _)).Times(0);
    EXPECT_EQ(component->OnNetworkState(0), 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->ListModel()->rowCount(), 0);
    engineUploads[9] = Record(9, "/d/z.txt", 10, TASK_PAUSED);
    dialog->Reset();
    EXPECT_EQ(dialog->CurView(), IDC_VIEW_UPLOADING);
    ASSERT_EQ(dialog->ListModel()->rowCount(), 1);
    EXPECT_EQ(Cell(dialog, 0, 2), "z.txt");
}

// The floating window.
TEST_F(TransmitDlgTest, TheFloatingWindowStartsBesideTheMainWindowWithoutAStoredPlace) {
    host.mainWnd.window.setGeometry(100, 120, 800, 600);
    WriteProfileString("Nimbra", "UploadSuspend", "10,20,60,60,1");  // five numbers: ignored
    component = CreateUIInstance<CUICUploadComp>();
    CUICSuspendDlg* suspend = component->GetSuspendDlg();
    ASSERT_NE(suspend, nullptr);
    const QRect mainFrame = host.mainWnd.window.frameGeometry();
    EXPECT_EQ(suspend->pos(), QPoint(mainFrame.left() + 715, mainFrame.top() + 63));
}

TEST_F(TransmitDlgTest, TheFloatingWindowReturnsToItsStoredPlace) {
    WriteProfileString("Nimbra", "UploadSuspend", "30,40,78,80,1,0");
    component = CreateUIInstance<CUICUploadComp>();
    CUICSuspendDlg* suspend = component->GetSuspendDlg();
    ASSERT_NE(suspend, nullptr);
    EXPECT_EQ(suspend->geometry().topLeft(), QPoint(30, 40));
    suspend->move(200, 210);
    suspend->HideWindow();
    EXPECT_EQ(GetProfileString("Nimbra", "UploadSuspend").rfind("200,210,", 0), 0u);
}

TEST_F(TransmitDlgTest, DoubleClickingTheFloatingWindowTwiceShowsThenHidesTheList) {
    component = CreateUIInstance<CUICUploadComp>();
    CUICSuspendDlg* suspend = component->GetSuspendDlg();
    ASSERT_NE(suspend, nullptr);
    CUICTransmitDlg* dialog = component->GetTransmitDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    suspend->OnMenuOpen();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(suspend->isVisible());
    suspend->OnMenuOpen();
    EXPECT_FALSE(dialog->isVisible());
    skin.QueueMenuChoice(ID_SUSPEND_HIDE);
    suspend->OnNcRButtonDown(QPoint(5, 5));
    EXPECT_FALSE(suspend->isVisible());
    ASSERT_EQ(skin.Menus().size(), 1u);
    EXPECT_EQ(skin.Menus()[0].items.join("|"), ToQString("打开/隐藏传输中心|隐藏悬浮窗"));
}

TEST_F(TransmitDlgTest, AZeroPercentShowsTheLogoInsteadOfTheTexts) {
    CUICTransmitDlg* dialog = Open();
    CUICSuspendDlg* suspend = component->GetSuspendDlg();
    suspend->show();
    dialog->ShowProgress(42.26, false);
    EXPECT_EQ(GetDlgItem(suspend, IDC_STATIC_SUSPEND_DOWNLOAD)->property("text").toString(), "42.3%");
    EXPECT_TRUE(GetDlgItem(suspend, IDC_STATIC_SUSPEND_DOWNLOAD)->isVisible());
    dialog->ShowProgress(0.0, true);
    EXPECT_EQ(GetDlgItem(suspend, IDC_STATIC_SUSPEND_UPLOAD)->property("text").toString(), "...");
    EXPECT_FALSE(GetDlgItem(suspend, IDC_STATIC_SUSPEND_UPLOAD)->isVisible());
    EXPECT_TRUE(GetDlgItem(suspend, IDC_STATIC_SUSPEND_LOGO)->isVisible());
}

}  // namespace
