// Folder upload through the upload dialog and the transfer list: the folder chooser and drops with their
// refusals, the catalog requests to the network-disk page in scan order, one file at a time through a mock
// engine adapter, refused and unanswered catalogs, and the folder rows the user pauses or deletes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <set>

#include "CatalogNodes.h"
#include "CatalogRequest.h"
#include "MockUIPUpload.h"
#include "TestHost.h"
#include "UploadTestTexts.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "platform/CodePage.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/Services.h"
#include "uic/UICUploadFile/controls/UICComboTreeCtrl.h"
#include "uic/UICUploadFile/folder/FolderScan.h"
#include "uic/UICUploadFile/frame/Resource.h"
#include "uic/UICUploadFile/frame/SizeFormat.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/TransferListModel.h"
#include "uic/UICUploadFile/transfer/TransferProgress.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"

namespace fs = std::filesystem;

namespace {

using ::testing::_;
using ::testing::An;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

// The top catalog, "我的文件夹" (current, so the goal has one backslash) and "photos" inside it.
std::string CatalogDoc() {
    return CatalogResult("http://127.0.0.1:8090/lumenoApp/share/pc_uploadFileRequest",
                         CatalogNode("root", "", "top") + CatalogNode("11", "root", "我的文件夹", 1) +
                             CatalogNode("14", "11", "photos"),
                         "<MaxUploadFilesNumber>50</MaxUploadFilesNumber><MaxUploadFilesSize>100000000000"
                         "</MaxUploadFilesSize><SpareSize>100000000000</SpareSize>");
}

// The network-disk page: creates catalogs on request and answers through the component, as the host does.
class CatalogDisk final : public HostComponent<IUICNetDisk> {
public:
    CatalogDisk() : HostComponent(IID_IUICNetDisk) {}

    long CallFlash(const std::string& request, std::string& /*reply*/) override {
        const std::optional<CatalogRequest> created = ReadCatalogRequest(request);
        if (!created) {
            ++refreshes;
            return 0;
        }
        // "name<parent", so a whole sequence of requests compares at once.
        requests.push_back(created->name + "<" + created->parent);
        if (!answering) {
            return 0;
        }
        const std::string answer = refused.count(created->name) ? "9424" : std::to_string(nextId++);
        CreateUIInstance<CUICUploadComp>()->OnCreateNetCatalogResp(answer);
        return 0;
    }
    void ShowSpaceInsufficient() override {}

    std::vector<std::string> requests;
    std::set<std::string> refused;
    bool answering = true;
    int nextId = 100;
    int refreshes = 0;
};

class FolderUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseKeyNamesAsUploadTexts(host.lang);
        for (const char* key : {"IDS_UPLOAD_INFO_CATALOG_BAG", "IDS_UPLOAD_INFO_CATALOG_SAMENAME"}) {
            host.lang.texts[{"UPLOAD", key}] = key;
        }
        g_IOrvaLange = &host.lang;
        host.Offer(IID_IUICNetDisk, &disk);
        Services::SetPrompts(&prompts);
        Services::SetSkin(&skin);
        ON_CALL(adapter, GetUIPState()).WillByDefault(Return(2));
        ON_CALL(adapter, StartUpload(_, _, _))
            .WillByDefault(Invoke([this](UploadFileList& files, const tagUploadInfo& info, long kind) {
                FileInfoList batch;
                for (tagUploadFileEntry& file : files) {
                    const int32_t id = nextTask++;
                    file.strFileID = std::to_string(id);
                    started.push_back({id, file.strFilePath, info.strTargetCatalogID, kind});
                    states[id] = TASK_RUNNING;
                    tagFileInfo record;
                    record.nFileID = id;
                    record.strFilePath = file.strFilePath;
                    record.nState = TASK_WAITING;
                    record.nCatalogFlag = static_cast<int32_t>(kind);
                    batch.push_back(record);
                }
                // Reported to the component as the adapter reports a batch.
                component->OnEventHandle(kind == 1 ? 6 : 1, reinterpret_cast<WPARAM>(&batch), 0);
                return 0;
            }));
        AnswerUploadStates(adapter, states);
        component = CreateUIInstance<CUICUploadComp>();
        ASSERT_EQ(component->ShowUpload(CatalogDoc(), nullptr), 0);
        dialog = component->GetUICUploadDlg();
        root = fs::path(files.path().toStdString());
    }
    void TearDown() override {
        UISingleton<CUICUploadComp>::Destroy();
        Services::SetPrompts(nullptr);
        Services::SetSkin(nullptr);
        g_IOrvaLange = nullptr;
    }

    std::string Make(const std::string& relative, size_t bytes = 0) {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'f');
        return path.string();
    }
    std::string Folder(const std::string& relative) {
        fs::create_directories(root / relative);
        return (root / relative).string();
    }
    void ChooseFolder(const std::string& path) {
        prompts.QueueFolder(Utf8ToGb18030(path));
        dialog->OnBnClickedButtonCatalog();
    }
    // What the folder upload left for the event loop, piece by piece.
    void Drain() {
        while (dialog->FolderUpload().HasWorkQueued()) {
            QCoreApplication::sendPostedEvents();
        }
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            dialog->OnTimer(TIMER_UPLOAD_CATALOG);
            Drain();
        }
    }
    // Every running file ends as finished.
    void FinishFiles() {
        for (auto& [id, state] : states) {
            state = state == TASK_RUNNING ? TASK_FINISHED : state;
        }
    }
    std::vector<std::string> TipTexts() const {
        std::vector<std::string> texts;
        for (const auto& tip : skin.Tips()) {
            texts.push_back(tip.text);
        }
        return texts;
    }
    CUICTransmitDlg* Transmit() const { return component->GetTransmitDlg(); }
    void SelectRow(int row) {
        QTableView* list = Transmit()->List();
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    struct Started {
        int32_t id;
        std::string path;
        std::string catalog;
        long kind;
    };

    testhost::TestHost host;
    CatalogDisk disk;
    NiceMock<MockUIPUpload> adapter;
    ScopedAdapterInstall adapterInstall{&adapter};
    ScriptedPrompts prompts;
    ScriptedSkin skin;
    CUICUploadComp* component = nullptr;
    CUICUploadDlg* dialog = nullptr;
    QTemporaryDir files;
    fs::path root;
    std::vector<Started> started;
    std::map<int32_t, int32_t> states;
    int32_t nextTask = 501;
};

TEST_F(FolderUploadTest, TheTreeMayBeNineLevelsDeepUnderAGoalOfOneLevel) {
    ASSERT_EQ(dialog->Combo()->GetWindowText(), "我的网盘\\我的文件夹");
    std::string nine = "nine";
    for (int level = 2; level <= 9; ++level) {
        nine += "/l" + std::to_string(level);
    }
    Folder(nine);
    Folder("ten/" + nine.substr(5) + "/l10");
    ChooseFolder((root / "nine").string());
    EXPECT_TRUE(skin.Tips().empty());
    ChooseFolder((root / "ten").string());
    EXPECT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_INFO_CATALOG_BAG"});
    ASSERT_EQ(dialog->List()->GetItemCount(), 2);
    EXPECT_EQ(dialog->List()->Cell(0, 3)->nImage, -1);
    EXPECT_EQ(dialog->List()->Cell(1, 3)->nImage, 0);

    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(TipTexts().back(), "IDS_UPLOAD_INFO_CATALOG_BAG");
    EXPECT_TRUE(dialog->FolderUpload().Tasks().empty());
}

TEST_F(FolderUploadTest, ChosenFoldersAreListedOnceAndAFolderNamedLikeAGoalCatalogIsRefused) {
    Make("trip/a.bin", 1000);
    Make("trip/.hidden", 5000);
    Make("trip/.cache/c.bin", 7000);
    Make("trip/day1/b.bin", 24);
    ChooseFolder((root / "trip").string());
    ChooseFolder((root / "trip").string() + "/");
    ASSERT_EQ(dialog->List()->GetItemCount(), 1);
    EXPECT_EQ(dialog->List()->GetItemText(0, 1), "trip");
    // Dot-files and what lies in dot-folders are hidden, and not counted.
    EXPECT_EQ(dialog->List()->GetItemText(0, 2), "(1 KB)");
    EXPECT_EQ(dialog->Rules().ListedTotal(), 1024u);

    Make("photos/p.jpg", 10);
    ChooseFolder((root / "photos").string());
    EXPECT_EQ(TipTexts(), std::vector<std::string>{"IDS_UPLOAD_INFO_CATALOG_SAMENAME"});
    dialog->OnBnClickedButtonUpload();
    EXPECT_EQ(TipTexts().back(), "IDS_UPLOAD_INFO_CATALOG_SAMENAME");
    EXPECT_TRUE(dialog->FolderUpload().Tasks().empty());
    EXPECT_TRUE(disk.requests.empty());
}

TEST_F(FolderUploadTest, ARefusedOrUnansweredCatalogSkipsItsBranchAndTheFolderEndsAsFailed) {
    Make("trip/bad/x.bin", 10);
    Make("trip/bad/inner/y.bin", 10);
    Make("trip/good/z.bin", 10);
    disk.refused = {"bad"};
    ChooseFolder((root / "trip").string());
    dialog->OnBnClickedButtonUpload();
    Tick();
    // "bad" is refused; "inner" has no parent catalog and is never asked for; "good" goes on.
    EXPECT_EQ(disk.requests, (std::vector<std::string>{"trip<11", "bad<100", "good<100"}));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].path, (root / "trip/good/z.bin").string());
    FinishFiles();
    Tick(2);
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_FAILED);
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG));
    // The row stays, marked as failed.
    CUICTransmitDlg* list = Transmit();
    list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    ASSERT_EQ(list->ListModel()->rowCount(), 1);
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_FAILED, true));
    // Deleted after the folder upload stopped ticking, it does not come back with the next folder.
    SelectRow(0);
    prompts.QueueMessageBoxResult(IDOK);
    list->OnButtonDelete();

    // An answer that never comes gives the folder up after the waiting ticks; a late one is dropped.
    Make("late/l.bin", 10);
    disk.answering = false;
    ASSERT_EQ(
        component->UploadDragFilesToNetDisk(CatalogDoc(), {}, {Utf8ToGb18030((root / "late").string())}, 0),
        0);
    ASSERT_EQ(list->ListModel()->rowCount(), 1);
    EXPECT_EQ(list->ListModel()->Text(0, 2), "late");
    ASSERT_EQ(dialog->FolderUpload().Tasks().size(), 1u);
    Tick(CFolderUpload::kAnswerTicks);
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_RUNNING);
    Tick(2);
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_FAILED);
    component->OnCreateNetCatalogResp("777");
    Tick(2);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_FALSE(dialog->IsTimerRunning(TIMER_UPLOAD_CATALOG));
}

TEST_F(FolderUploadTest, AnEngineThatIsNotReadyIsAskedAgainAtTheNextTickWithoutWaiting) {
    Make("trip/a.bin", 10);
    ChooseFolder((root / "trip").string());
    dialog->OnBnClickedButtonUpload();
    EXPECT_CALL(adapter, GetUIPState()).WillOnce(Return(0)).WillRepeatedly(Return(2));
    Drain();
    EXPECT_EQ(disk.requests.size(), 1u);
    EXPECT_TRUE(started.empty());
    Tick();
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(FolderUploadTest, DroppedFoldersAreCheckedBeforeAnyIsAdded) {
    Folder("photos");
    Make("fresh/a.bin", 10);
    const std::string fresh = Utf8ToGb18030((root / "fresh").string());
    EXPECT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(), {},
                                                  {fresh, Utf8ToGb18030((root / "photos").string())}, 0),
              -1);
    ASSERT_EQ(prompts.Calls().size(), 1u);
    EXPECT_EQ(prompts.Calls()[0].text, "与现有的网盘文件（夹）重名，请修改后在上传！");
    EXPECT_EQ(prompts.Calls()[0].caption, "提示：");
    EXPECT_TRUE(dialog->FolderUpload().Tasks().empty());

    EXPECT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(), {}, {fresh}, 0), 0);
    ASSERT_EQ(dialog->FolderUpload().Tasks().size(), 1u);
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].strGoalPath, "我的网盘\\我的文件夹");
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].strParentID, "11");
    Tick();
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(FolderUploadTest, FolderSizesAreSixtyFourBit) {
    const std::string big = Make("big/huge.bin");
    fs::resize_file(big, 5ull << 30);  // sparse: takes no room on the disk
    Make("big/small.bin", 7);
    EXPECT_EQ(ScanFolder(Utf8ToGb18030((root / "big").string()), 0).ullBytes, (5ull << 30) + 7);
    ChooseFolder((root / "big").string());
    EXPECT_EQ(dialog->FolderUpload().SizeOf(Utf8ToGb18030((root / "big").string())), (5ull << 30) + 7);
}

TEST_F(FolderUploadTest, ALinkBackUpTheTreeIsNotFollowed) {
    Make("loop/a.bin", 3);
    fs::create_directory_symlink(root / "loop", root / "loop/again");
    const tagFolderScan scan = ScanFolder(Utf8ToGb18030((root / "loop").string()), 0);
    EXPECT_EQ(scan.ullBytes, 3u);
    EXPECT_TRUE(scan.vecSubFolders.empty());
}

TEST_F(FolderUploadTest, AFolderDeletedInTheTransferListIsNotListedAgainAndTheNextOneRuns) {
    Make("one/a.bin", 10);
    Make("two/b.bin", 10);
    ChooseFolder((root / "one").string());
    ChooseFolder((root / "two").string());
    dialog->OnBnClickedButtonUpload();
    Tick();
    CUICTransmitDlg* list = Transmit();
    ASSERT_EQ(list->ListModel()->rowCount(), 2);
    EXPECT_EQ(list->ListModel()->Text(0, 2), "one");
    EXPECT_EQ(list->ListModel()->Text(0, 8), QString::fromStdString((root / "one").string()));

    // The list follows the running file once the engine reports it running.
    Tick();
    EXPECT_CALL(adapter, DeleteTask(started[0].id, 1)).WillOnce(Return(0));
    SelectRow(0);
    prompts.QueueMessageBoxResult(IDOK);
    list->OnButtonDelete();
    ASSERT_EQ(list->ListModel()->rowCount(), 1);
    for (int i = 0; i < 3; ++i) {
        list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    }
    EXPECT_EQ(list->ListModel()->rowCount(), 1);
    EXPECT_EQ(list->ListModel()->Text(0, 2), "two");

    Tick();
    ASSERT_EQ(dialog->FolderUpload().Tasks().size(), 1u);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].path, (root / "two/b.bin").string());
    list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    EXPECT_EQ(list->ListModel()->rowCount(), 1);
}

TEST_F(FolderUploadTest, APausedFolderIsLeftAloneUntilItIsStartedAgain) {
    Make("one/a.bin", 100);
    ChooseFolder((root / "one").string());
    dialog->OnBnClickedButtonUpload();
    Tick(2);
    CUICTransmitDlg* list = Transmit();
    list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    ASSERT_EQ(list->ListModel()->rowCount(), 1);
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_RUNNING, true));

    EXPECT_CALL(adapter, PauseTask(started[0].id, 1)).WillOnce(Return(0));
    SelectRow(0);
    list->OnButtonPause();
    states[started[0].id] = TASK_PAUSED;
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_PAUSED);
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_PAUSED, true));
    const QString used = list->ListModel()->Text(0, 7);
    EXPECT_CALL(adapter, GetProgress(_, _, An<tagFileInfo&>())).Times(0);
    for (int i = 0; i < 3; ++i) {
        Tick();
        list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    }
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_PAUSED, true));
    EXPECT_EQ(list->ListModel()->Text(0, 7), used);
    EXPECT_EQ(started.size(), 1u);
    ::testing::Mock::VerifyAndClearExpectations(&adapter);

    EXPECT_CALL(adapter, ResumeTask(started[0].id, 1)).WillOnce(Return(0));
    list->OnButtonStart();
    EXPECT_EQ(dialog->FolderUpload().Tasks()[0].nState, TASK_RUNNING);
    EXPECT_EQ(list->ListModel()->Image(0), GetImageIndexByState(TASK_RUNNING, true));
}

TEST_F(FolderUploadTest, TheUsedTimeOfAFolderCountsSecondsWhileTimer1000RefreshesTheListToo) {
    Make("one/a.bin", 100);
    ChooseFolder((root / "one").string());
    dialog->OnBnClickedButtonUpload();
    Tick();
    CUICTransmitDlg* list = Transmit();
    const auto usedTime = [&] { return list->ListModel()->Text(0, 7).toStdString(); };
    std::vector<std::string> texts;
    for (int second = 0; second < 2; ++second) {
        list->OnTimer(CUICTransmitDlg::kCatalogTimer);
        texts.push_back(usedTime());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{FormatTime(1), FormatTime(2)}));

    // An ordinary upload runs timer 1000, which refreshes the folder's files too: with both timers
    // refreshing the list, each second still counts once.
    tagFileInfo other;
    other.nFileID = 900;
    other.strFilePath = (root / "other.bin").string();
    other.nState = TASK_RUNNING;
    FileInfoList batch{other};
    list->AddUpload(&batch);
    ASSERT_TRUE(list->IsTimerRunning(CUICTransmitDlg::kUploadTimer));
    texts.clear();
    for (int second = 0; second < 2; ++second) {
        for (const unsigned timer : {CUICTransmitDlg::kUploadTimer, CUICTransmitDlg::kCatalogTimer}) {
            list->OnTimer(timer);
            texts.push_back(usedTime());
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{FormatTime(3), FormatTime(3), FormatTime(4), FormatTime(4)}));
}

TEST_F(FolderUploadTest, TheRowFollowsAllItsFilesNeverGoesBackAndShows100OnlyOnceTheLastHasArrived) {
    Make("trip/a.bin", 600);
    Make("trip/sub/b.bin", 400);
    ChooseFolder((root / "trip").string());
    dialog->OnBnClickedButtonUpload();
    Drain();
    ASSERT_EQ(started.size(), 2u);
    // What the engine says of each file: bytes done and state.
    std::map<int32_t, std::pair<uint64_t, int32_t>> engine;
    ON_CALL(adapter, GetProgress(_, _, An<tagFileInfo&>()))
        .WillByDefault(Invoke([&](long id, long, tagFileInfo& info) {
            std::tie(info.ullDoneSize, info.nState) = engine[static_cast<int32_t>(id)];
            return 0L;
        }));
    CUICTransmitDlg* list = Transmit();
    const auto refresh = [&](int column) {
        list->OnTimer(CUICTransmitDlg::kCatalogTimer);
        return list->ListModel()->Text(0, column).toStdString();
    };
    const int32_t a = started[0].id;
    const int32_t b = started[1].id;
    engine[a] = {300, TASK_RUNNING};
    engine[b] = {100, TASK_RUNNING};
    EXPECT_EQ(refresh(4), "40.0%");
    EXPECT_EQ(list->ListModel()->Text(0, 5).toStdString(), MakeTransferSize(400) + "/S");
    // A file the engine starts over does not take the folder back.
    engine[b] = {0, TASK_RUNNING};
    EXPECT_EQ(refresh(4), "40.0%");
    engine[a] = {600, TASK_FINISHED};
    engine[b] = {400, TASK_FINISHED};
    EXPECT_EQ(refresh(4), "99.8%");

    // The folder upload sees the last file confirmed: the folder is done, counted once.
    FinishFiles();
    Tick();
    EXPECT_EQ(list->ListModel()->rowCount(), 0);
    ASSERT_EQ(list->CatalogDone().size(), 1u);
    EXPECT_EQ(list->CatalogDone()[0].ullSize, 1000u);
    list->OnTimer(CUICTransmitDlg::kCatalogTimer);
    EXPECT_EQ(list->CatalogDone().size(), 1u);
}

TEST_F(FolderUploadTest, AFinishedFolderCountsOnceStaysDeletedAndCountsAgainWhenUploadedAgain) {
    Make("one/a.bin", 10);
    Make("two/b.bin", 10);
    const std::string one = Utf8ToGb18030((root / "one").string());
    ASSERT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(), {}, {one}, 0), 0);
    Drain();
    FinishFiles();
    Tick();
    CUICTransmitDlg* list = Transmit();
    ASSERT_EQ(list->CatalogDone().size(), 1u);
    list->DisposePanelLeft(IDC_VIEW_UPLOADED);
    ASSERT_EQ(list->ListModel()->rowCount(), 1);
    SelectRow(0);
    prompts.QueueMessageBoxResult(IDOK);
    list->OnButtonDelete();
    EXPECT_TRUE(list->CatalogDone().empty());

    // Another folder: the folder upload reports the first one again with it, and it stays deleted.
    list->DisposePanelLeft(IDC_VIEW_UPLOADING);
    ASSERT_EQ(
        component->UploadDragFilesToNetDisk(CatalogDoc(), {}, {Utf8ToGb18030((root / "two").string())}, 0),
        0);
    Drain();
    FinishFiles();
    Tick();
    ASSERT_EQ(list->CatalogDone().size(), 1u);
    EXPECT_EQ(list->CatalogDone()[0].strPath, Utf8ToGb18030((root / "two").string()));

    // The first folder uploaded again is a new upload of its own.
    ASSERT_EQ(component->UploadDragFilesToNetDisk(CatalogDoc(), {}, {one}, 0), 0);
    Drain();
    FinishFiles();
    Tick();
    EXPECT_EQ(list->CatalogDone().size(), 2u);
}

}  // namespace
