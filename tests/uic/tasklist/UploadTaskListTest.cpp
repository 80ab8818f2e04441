// The upload task list through the component, over a mock engine adapter and the scripted host: rows from
// the adapter, the paused ids stored through the host's settings, the uploads continued when the network
// comes back (with the engine wait on a clock the test moves), and the stop at logout.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTableWidget>
#include <fstream>
#include <sstream>

#include "MockUIPUpload.h"
#include "TestHost.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "log/LogFile.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/tasklist/UploadTaskListDlg.h"

namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

tagFileInfo Task(int32_t id, int32_t state) {
    tagFileInfo record;
    record.nFileID = id;
    record.strFileName = "file" + std::to_string(id) + ".bin";
    record.ullFileSize = 2048;
    record.strProgress = "50.0%";
    record.nState = state;
    return record;
}

std::string LogText() {
    ModuleLog().Flush();
    std::ifstream in(ModuleLog().FilePath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

class UploadTaskListTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_IOrvaLange = nullptr;
        Services::SetSkin(&skin);
        const std::pair<const char*, const char*> texts[] = {
            {"IDS_UPLOAD_INFO_CONTINUE_FAILED", "继续上传失败"},
            {"IDS_UPLOAD_ERROR_8000", "网络连接失败"},
            {"IDS_UPLOAD_ERROR_9436", "网盘空间不足"},
            {"IDS_UPLOAD_INFO_NEXT_TRY", "%s，%d 秒后重试"},
            {"IDS_UPLOAD_TASKLIST_STATE_PAUSED", "已暂停"},
            {"IDS_UPLOAD_TASKLIST_STATE_RUNNING", "正在上传"},
            {"IDS_UPLOAD_TASKLIST_STATE_WAITING", "等待中"},
            {"IDS_UPLOAD_TASKLIST_STATE_SYNC", "等待继续"},
            {"IDS_UPLOAD_TASKLIST_TITLE", "上传任务"},
        };
        for (const auto& [key, text] : texts) {
            host.lang.texts[{"UPLOAD", key}] = text;
        }
        ON_CALL(adapter, InitUIPComp()).WillByDefault(Return(0));
        ON_CALL(adapter, GetTaskList(1, _)).WillByDefault(Invoke([this](long, FileInfoMap& tasks) {
            tasks = engine;
            return 0;
        }));
        ON_CALL(adapter, GetNextTry(_, _)).WillByDefault(Return(-1));
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_NE(component, nullptr);
    }
    void TearDown() override {
        Clock::SetCurrent(nullptr);
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetSkin(nullptr);
        g_IOrvaLange = nullptr;
    }

    // The engine's tasks as the adapter lists them.
    void Engine(std::initializer_list<tagFileInfo> tasks) {
        engine.clear();
        for (const tagFileInfo& task : tasks) {
            engine[task.nFileID] = task;
        }
    }
    // Signed in: the component has made its task list.
    CUploadTaskListDlg* SignedIn() {
        component->Register();
        CUploadTaskListDlg* list = component->GetUploadTaskMngDlg();
        EXPECT_NE(list, nullptr);
        return list;
    }
    std::vector<int32_t> RowIds(const CUploadTaskListDlg& list) {
        std::vector<int32_t> ids;
        for (int row = 0; row < list.RowCount(); ++row) {
            ids.push_back(list.Record(row)->nFileID);
        }
        return ids;
    }
    QString Status(const CUploadTaskListDlg& list, int row) { return list.List()->item(row, 3)->text(); }

    testhost::TestHost host;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    ScriptedSkin skin;
    FileInfoMap engine;
    CUICUploadComp* component = nullptr;
};

TEST_F(UploadTaskListTest, WithoutRowsNothingRunsAnEmptyListIsStoredAndNothingIsContinued) {
    EXPECT_EQ(component->GetUploadTaskMngDlg(), nullptr);
    EXPECT_EQ(component->IsFileOnUploading(), 0);  // no list yet: nothing asked, nothing stored
    EXPECT_TRUE(host.settings.stored.empty());

    CUploadTaskListDlg* list = SignedIn();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsInitialized());
    EXPECT_EQ(list->windowTitle(), ToQString("上传任务"));
    EXPECT_EQ(component->IsFileOnUploading(), 0);
    ASSERT_EQ(host.settings.stored.count("UploadTaskInfo"), 1u);
    EXPECT_TRUE(host.settings.stored["UploadTaskInfo"].empty());
    EXPECT_CALL(adapter, ContUpload(_)).Times(0);
    list->OnFileTaskContinue();
    EXPECT_FALSE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
}

TEST_F(UploadTaskListTest, RowsFollowTheAdaptersTasksAndSayWhyAnUploadWaits) {
    tagFileInfo failed = Task(4, TASK_FAILED);
    Engine({Task(1, TASK_RUNNING), Task(2, TASK_WAITING), Task(3, TASK_WAITING), failed});
    ON_CALL(adapter, GetNextTry(2, 1)).WillByDefault(Return(12));
    ON_CALL(adapter, GetErrorCode(4, 1)).WillByDefault(Return(9436));
    CUploadTaskListDlg* list = SignedIn();
    ASSERT_EQ(RowIds(*list), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(list->List()->item(0, 0)->text(), "file1.bin");
    EXPECT_EQ(list->List()->item(0, 1)->text(), "2 KB");
    EXPECT_EQ(list->List()->item(0, 2)->text(), "50.0%");
    EXPECT_EQ(Status(*list, 0), ToQString("正在上传"));
    EXPECT_EQ(Status(*list, 1), ToQString("网络连接失败，12 秒后重试"));
    EXPECT_EQ(Status(*list, 2), ToQString("等待中"));
    EXPECT_EQ(Status(*list, 3), ToQString("网盘空间不足"));

    // A new batch reported by the adapter: its task joins; a deleted task leaves; states follow.
    Engine({Task(1, TASK_PAUSED), Task(3, TASK_WAITING), Task(9, TASK_WAITING)});
    FileInfoList batch{Task(9, TASK_WAITING)};
    component->OnEventHandle(1, reinterpret_cast<WPARAM>(&batch), 0);
    EXPECT_EQ(RowIds(*list), (std::vector<int32_t>{1, 3, 9}));
    EXPECT_EQ(list->Record(0)->nState, TASK_PAUSED);
    EXPECT_EQ(Status(*list, 0), ToQString("已暂停"));

    // On screen the rows are kept current; hidden they are not.
    list->show();
    EXPECT_TRUE(list->IsTimerRunning(CUploadTaskListDlg::kRefreshTimer));
    Engine({Task(1, TASK_RUNNING)});
    list->OnTimer(CUploadTaskListDlg::kRefreshTimer);
    EXPECT_EQ(RowIds(*list), std::vector<int32_t>{1});
    list->hide();
    EXPECT_FALSE(list->IsTimerRunning(CUploadTaskListDlg::kRefreshTimer));
}

TEST_F(UploadTaskListTest, IsFileOnUploadingStoresThePausedIdsFirstAndOnceEvenWhenTheServiceRefuses) {
    Engine({Task(1, TASK_PAUSED), Task(2, TASK_RUNNING), Task(3, TASK_WAITING), Task(5, TASK_PAUSED)});
    CUploadTaskListDlg* list = SignedIn();
    EXPECT_EQ(component->IsFileOnUploading(), 1);
    EXPECT_EQ(host.settings.stored["UploadTaskInfo"], (std::vector<long>{1, 5}));
    EXPECT_EQ(list->PausedIds(), (std::vector<long>{1, 5}));
    EXPECT_TRUE(list->IsFileOnUploading(2));
    EXPECT_FALSE(list->IsFileOnUploading(3));

    // What the engine says now counts, not the rows as they were.
    Engine({Task(1, TASK_RUNNING), Task(5, TASK_FINISHED)});
    host.settings.result = -1;
    const size_t before = Count(LogText(), "向服务器存储上传任务信息失败！");
    EXPECT_EQ(component->IsFileOnUploading(), 1);
    EXPECT_EQ(list->PausedIds(), std::vector<long>{});
    EXPECT_EQ(host.settings.stored["UploadTaskInfo"], (std::vector<long>{1, 5}));  // refused: kept as it was
    const std::string log = LogText();
    EXPECT_EQ(Count(log, "向服务器存储上传任务信息失败！"), before + 1);
    EXPECT_NE(log.find("CUICUploadComp::SavePauseId,Info = 向服务器存储上传任务信息失败！"),
              std::string::npos);

    host.Withdraw(IID_IUICSet);
    EXPECT_EQ(component->SavePauseId({7}), -1);
    EXPECT_NE(LogText().find("CUICUploadComp::SavePauseId, error = pIUICSet为空, 错误"), std::string::npos);
}

TEST_F(UploadTaskListTest, ContinuingLeavesUserPausedUploadsAloneAndGoesOnPastAFailure) {
    Engine({Task(1, TASK_PAUSED), Task(2, TASK_RUNNING)});
    CUploadTaskListDlg* list = SignedIn();
    list->SavePauseId();  // 1 was paused by the user
    // After a sync the engine has them all waiting to be continued.
    Engine({Task(1, TASK_OTHER), Task(2, TASK_OTHER), Task(3, TASK_OTHER), Task(4, TASK_RUNNING)});
    {
        InSequence order;
        EXPECT_CALL(adapter, ContUpload(2)).WillOnce(Return(-1));
        EXPECT_CALL(adapter, ContUpload(3)).WillOnce(Return(0));
    }
    EXPECT_CALL(adapter, ContUpload(1)).Times(0);
    EXPECT_CALL(adapter, ContUpload(4)).Times(0);
    list->OnFileTaskContinue();
    ASSERT_NE(list->Tip().Window(), nullptr);
    EXPECT_TRUE(list->Tip().Window()->isVisible());
    EXPECT_TRUE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));

    // Timer 100 follows the rows until none waits to be continued.
    list->OnTimer(CUploadTaskListDlg::kContinueTimer);
    EXPECT_TRUE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
    Engine({Task(1, TASK_PAUSED), Task(2, TASK_WAITING), Task(3, TASK_RUNNING), Task(4, TASK_RUNNING)});
    list->OnTimer(CUploadTaskListDlg::kContinueTimer);
    EXPECT_FALSE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
    EXPECT_EQ(list->Record(1)->nState, TASK_WAITING);
}

TEST_F(UploadTaskListTest, LogoutHidesTheListAndPausesEachRunningUploadBeforeItsRowGoes) {
    Engine({Task(1, TASK_RUNNING), Task(2, TASK_PAUSED), Task(3, TASK_RUNNING), Task(4, TASK_OTHER)});
    CUploadTaskListDlg* list = SignedIn();
    list->show();
    list->OnFileTaskContinue();
    ASSERT_TRUE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
    {
        InSequence order;
        // Last to first, each while its row is still there.
        EXPECT_CALL(adapter, PauseUpload(3)).WillOnce(Invoke([&](long) {
            EXPECT_EQ(list->RowCount(), 3);
            return 0;
        }));
        EXPECT_CALL(adapter, PauseUpload(1)).WillOnce(Invoke([&](long) {
            EXPECT_EQ(list->RowCount(), 1);
            return 0;
        }));
        EXPECT_CALL(adapter, UninitUIPComp()).WillOnce(Return(0));
    }
    component->Deregister();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->List()->rowCount(), 0);
    EXPECT_FALSE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
    EXPECT_FALSE(list->IsTimerRunning(CUploadTaskListDlg::kRefreshTimer));
}

class NetworkReturnTest : public UploadTaskListTest {
protected:
    void SetUp() override {
        UploadTaskListTest::SetUp();
        Clock::SetCurrent(&clock);
    }
    ManualClock clock;
};

TEST_F(NetworkReturnTest, LossHidesTheListAndReturnSyncsWaitsForTheEngineThenContinues) {
    Engine({Task(1, TASK_WAITING), Task(2, TASK_PAUSED)});
    CUploadTaskListDlg* list = SignedIn();
    list->show();
    component->OnNetworkState(0);
    EXPECT_FALSE(list->isVisible());

    // The engine is confirming its tasks for two seconds, then has them waiting to be continued.
    ON_CALL(adapter, GetUIPState()).WillByDefault(Invoke([&] {
        return clock.TickCount() >= 2000 ? 2L : 0L;
    }));
    clock.OnSleep([&](uint64_t now) {
        if (now >= 2000) {
            Engine({Task(1, TASK_OTHER), Task(2, TASK_PAUSED)});
        }
    });
    {
        InSequence order;
        EXPECT_CALL(adapter, SyncUploadTask()).WillOnce(Return(0));
        EXPECT_CALL(adapter, ContUpload(1)).WillOnce(Return(0));
    }
    EXPECT_CALL(adapter, ContUpload(2)).Times(0);
    component->OnNetworkState(1);
    EXPECT_EQ(clock.SleptTotal(), 2000u);
    EXPECT_TRUE(list->IsTimerRunning(CUploadTaskListDlg::kContinueTimer));
}

TEST_F(NetworkReturnTest, UploadsPausedBecauseTheNetworkWentAreContinuedWhenItIsBackTheUsersAreNot) {
    Engine({Task(1, TASK_RUNNING), Task(2, TASK_WAITING), Task(3, TASK_PAUSED), Task(4, TASK_FINISHED)});
    CUploadTaskListDlg* list = SignedIn();
    component->OnNetworkState(0);
    EXPECT_EQ(list->InterruptedIds(), (std::vector<long>{1, 2}));
    // Meanwhile the transfer list paused what was under way.
    Engine({Task(1, TASK_PAUSED), Task(2, TASK_PAUSED), Task(3, TASK_PAUSED), Task(4, TASK_FINISHED)});
    ON_CALL(adapter, GetUIPState()).WillByDefault(Return(2));
    EXPECT_CALL(adapter, ContUpload(1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, ContUpload(2)).WillOnce(Return(0));
    EXPECT_CALL(adapter, ContUpload(3)).Times(0);
    component->OnNetworkState(1);
    EXPECT_TRUE(list->InterruptedIds().empty());
    EXPECT_EQ(clock.SleepCount(), 0u);  // the engine was ready at once
    // A later return without a loss before it continues nothing that is paused.
    EXPECT_CALL(adapter, ContUpload(_)).Times(0);
    component->OnNetworkState(1);
}

TEST_F(NetworkReturnTest, AnEngineThatNeverGetsReadyIsWaitedForAboutThreeSecondsAndASecondNoticeAddsNothing) {
    Engine({Task(1, TASK_WAITING)});
    SignedIn();
    EXPECT_CALL(adapter, GetUIPState()).WillRepeatedly(Return(0));
    EXPECT_CALL(adapter, SyncUploadTask()).Times(1);
    // The network is reported back again while the first notice still waits.
    clock.OnSleep([&](uint64_t) { component->OnNetworkState(1); });
    component->OnNetworkState(1);
    EXPECT_EQ(clock.SleepCount(), 4u);
    EXPECT_EQ(clock.SleptTotal(), 4000u);
}

TEST_F(NetworkReturnTest, ReturnWithoutTheListsWindowDoesNothing) {
    EXPECT_CALL(adapter, SyncUploadTask()).Times(0);
    EXPECT_CALL(adapter, GetUIPState()).Times(0);
    component->OnNetworkState(1);
    EXPECT_EQ(clock.SleepCount(), 0u);
}

}  // namespace
