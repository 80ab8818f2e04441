// The folder upload's pacing through a site of its own, without the dialog: the catalogs of a tree are
// asked for one after the other as soon as the parent's id is known, each folder's files go to the engine
// adapter as batches with no tick in between, every piece of work in its own turn of the event loop, and
// Pause, Start and Delete act on every file of a folder at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "CatalogRequest.h"
#include "MockUIPUpload.h"
#include "TestHost.h"
#include "platform/CodePage.h"
#include "platform/WindowTimers.h"
#include "uic/UICUploadFile/folder/FolderUpload.h"

namespace fs = std::filesystem;

namespace {

// Literals here are compiled to GB18030; the file system, and these checks, speak UTF-8.
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

using ::testing::_;
using ::testing::An;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;

class FakeTransferList final : public IFolderTransferList {
public:
    void SetCatalogTimer(bool start) override { timerRunning = start; }
    void SetCatalogTask(const CatalogTaskList& files, size_t /*index*/,
                        const CatalogSizeList& /*sizes*/) override {
        tasks = files;
    }
    void CreatCatalogRun(const CatalogTaskList& files) override { tasks = files; }

    CatalogTaskList tasks;
    bool timerRunning = false;
};

// The network-disk page: catalogs get ids from 100 on, in the order they are asked for. It answers within
// the request unless told to hold its answers, which the test then gives.
class FakeNetDisk final : public HostComponent<IUICNetDisk> {
public:
    FakeNetDisk() : HostComponent(IID_IUICNetDisk) {}

    long CallFlash(const std::string& request, std::string& /*reply*/) override {
        const std::optional<CatalogRequest> created = ReadCatalogRequest(request);
        if (!created) {
            return -1;
        }
        requests.push_back(Gb18030ToUtf8(created->name) + "<" + created->parent);
        const std::string answer = refused.count(created->name) ? "9424" : std::to_string(nextId++);
        if (holding) {
            held.push_back(answer);
        } else {
            answerTo(answer);
        }
        return 0;
    }
    void ShowSpaceInsufficient() override {}
    // The oldest answer held back goes to the folder upload.
    void GiveAnswer() {
        ASSERT_FALSE(held.empty());
        const std::string answer = held.front();
        held.pop_front();
        answerTo(answer);
    }

    std::function<void(const std::string&)> answerTo;
    std::vector<std::string> requests;
    std::set<std::string> refused;
    std::deque<std::string> held;
    bool holding = false;
    int nextId = 100;
};

class FolderPacingTest : public ::testing::Test, public IFolderUploadSite {
protected:
    void SetUp() override {
        host.Offer(IID_IUICNetDisk, &disk);
        disk.answerTo = [this](const std::string& answer) { upload.creatteNetCatalogResp(answer); };
        root = fs::path(dir.path().toStdString());
        ON_CALL(adapter, GetUIPState()).WillByDefault(Return(2));
        ON_CALL(adapter, StartUpload(_, _, _))
            .WillByDefault(Invoke([this](UploadFileList& files, const tagUploadInfo& info, long kind) {
                Batch batch{info.strTargetCatalogID, kind, turn, {}};
                for (tagUploadFileEntry& file : files) {
                    const int32_t id = nextTask++;
                    file.strFileID = std::to_string(id);
                    states[id] = TASK_WAITING;
                    paths[id] = Gb18030ToUtf8(file.strFilePath);
                    batch.names.push_back(fs::path(paths[id]).filename().string() + "@" +
                                          Gb18030ToUtf8(file.strGoalPath));
                }
                batches.push_back(batch);
                return refuseBatches ? -1L : 0L;
            }));
        AnswerUploadStates(adapter, states);
        ON_CALL(adapter, DeleteTask(_, 1)).WillByDefault(Invoke([this](long id, long) {
            states.erase(static_cast<int32_t>(id));
            return 0L;
        }));
    }

    // The site.
    IFolderTransferList* FolderTransferList() override { return &list; }
    IUIPUpload* UploadAdapter() override { return &adapter; }
    IUICNetDisk* NetDiskPage() override { return &disk; }
    bool HasComponent() override { return true; }
    bool ShowTransferList() override { return true; }
    void RefreshNetDisk() override { ++refreshes; }
    tagUploadInfo UploadServer() const override { return {}; }
    void Later(std::function<void()> work) override { queued.push_back(std::move(work)); }

    // Runs what waits for the event loop, one piece of work per turn, as the event loop does.
    void RunLoop() {
        while (!queued.empty()) {
            std::function<void()> work = std::move(queued.front());
            queued.pop_front();
            ++turn;
            work();
        }
    }
    void Make(const std::string& relative, size_t bytes = 1) {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    }
    void Add(const std::string& folder) {
        tagCatalogTask task;
        task.strPath = Utf8ToGb18030((root / folder).string());
        task.strGoalPath = "我的网盘";
        task.strParentID = "11";
        upload.AddTask(task);
    }
    std::string Path(const std::string& folder) const { return Utf8ToGb18030((root / folder).string()); }
    // Every file handed so far ends with the state; the ids of those that had not ended.
    std::vector<int32_t> End(int32_t state, const std::string& name = {}) {
        std::vector<int32_t> ended;
        for (auto& [id, current] : states) {
            if ((name.empty() || fs::path(paths[id]).filename() == name) && current != TASK_FINISHED &&
                current != TASK_FAILED) {
                current = state;
                ended.push_back(id);
            }
        }
        return ended;
    }
    // With the page holding its answers: only the top folder's catalog is answered, its files go, and its
    // a.txt arrives.
    void SendTheTopFolderAndFinishItsA() {
        disk.holding = true;
        upload.Start();
        RunLoop();
        disk.GiveAnswer();
        RunLoop();
        ASSERT_EQ(batches.size(), 1u);
        End(TASK_FINISHED, "a.txt");
        upload.TUploadCatalog();
    }
    std::vector<int32_t> IdsOf(const std::string& name) {
        std::vector<int32_t> ids;
        for (const auto& [id, path] : paths) {
            if (fs::path(path).filename() == name) {
                ids.push_back(id);
            }
        }
        return ids;
    }
    int32_t State(size_t task = 0) const { return upload.Tasks().at(task).nState; }

    struct Batch {
        std::string catalog;
        long kind;
        int turn;
        std::vector<std::string> names;  // "file@goal display path", UTF-8
    };

    testhost::TestHost host;
    FakeNetDisk disk;
    FakeTransferList list;
    NiceMock<MockUIPUpload> adapter;
    WindowTimers timers{[](unsigned) {}};
    CFolderUpload upload{*this, timers};
    QTemporaryDir dir;
    fs::path root;
    std::deque<std::function<void()>> queued;
    int turn = 0;
    int refreshes = 0;
    bool refuseBatches = false;
    std::vector<Batch> batches;
    std::map<int32_t, int32_t> states;
    std::map<int32_t, std::string> paths;
    int32_t nextTask = 501;
};

TEST_F(FolderPacingTest, TheWholeTreeIsAskedForAndHandedOverBeforeAnyFileFinishesOnePieceATurn) {
    Make("trip/a.txt");
    Make("trip/b.txt");
    fs::create_directories(root / "trip/empty");
    Make(U8(u8"trip/海边/c.txt"));
    Make(U8(u8"trip/海边/deep/d.txt"));
    // More than one batch holds.
    for (size_t i = 0; i <= CFolderUpload::kBatchFiles; ++i) {
        Make("trip/zoo/z" + std::to_string(1000 + i) + ".txt");
    }
    Add("trip");
    upload.Start();
    EXPECT_TRUE(timers.IsActive(TIMER_UPLOAD_CATALOG));
    EXPECT_TRUE(disk.requests.empty()) << "the drop returns before the work starts";
    RunLoop();

    // Each catalog right after its parent's answer, in scan order, without a single tick.
    EXPECT_EQ(disk.requests,
              (std::vector<std::string>{"trip<11", "empty<100", "zoo<100", U8(u8"海边<100"), "deep<103"}));
    ASSERT_EQ(batches.size(), 5u);
    EXPECT_EQ(batches[0].catalog, "100");
    EXPECT_EQ(batches[0].names,
              (std::vector<std::string>{U8(u8"a.txt@我的网盘\\trip"), U8(u8"b.txt@我的网盘\\trip")}));
    EXPECT_EQ(batches[1].catalog, "102");
    EXPECT_EQ(batches[1].names.size(), CFolderUpload::kBatchFiles);
    EXPECT_EQ(batches[2].names, std::vector<std::string>{U8(u8"z1020.txt@我的网盘\\trip\\zoo")});
    EXPECT_EQ(batches[3].names, std::vector<std::string>{U8(u8"c.txt@我的网盘\\trip\\海边")});
    EXPECT_EQ(batches[4].catalog, "104");
    EXPECT_EQ(batches[4].names, std::vector<std::string>{U8(u8"d.txt@我的网盘\\trip\\海边\\deep")});
    std::set<int> turns;
    for (const Batch& batch : batches) {
        EXPECT_EQ(batch.kind, 1);
        EXPECT_TRUE(turns.insert(batch.turn).second) << "two batches in one turn of the event loop";
    }
    const std::vector<int32_t>& ids = list.tasks.at(0).vecFileIDs;
    ASSERT_EQ(ids.size(), CFolderUpload::kBatchFiles + 5);
    EXPECT_EQ(State(), TASK_RUNNING);

    // The folder has arrived when its last file has, whatever order the engine finishes them in.
    states[ids.back()] = TASK_FINISHED;
    states[ids.front()] = TASK_RUNNING;
    upload.TUploadCatalog();
    EXPECT_EQ(State(), TASK_RUNNING);
    End(TASK_FINISHED);
    upload.TUploadCatalog();
    EXPECT_EQ(State(), TASK_FINISHED);
    EXPECT_EQ(list.tasks.at(0).nState, TASK_FINISHED);
    EXPECT_FALSE(list.timerRunning);
    EXPECT_FALSE(timers.IsActive(TIMER_UPLOAD_CATALOG));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FolderPacingTest, AnAnswerThatComesLaterIsFollowedAtOnce) {
    Make("trip/a.txt");
    Make("trip/sub/b.txt");
    disk.holding = true;
    Add("trip");
    upload.Start();
    RunLoop();
    EXPECT_EQ(disk.requests, std::vector<std::string>{"trip<11"});
    disk.GiveAnswer();
    RunLoop();
    EXPECT_EQ(disk.requests, (std::vector<std::string>{"trip<11", "sub<100"}));
    EXPECT_EQ(batches.size(), 1u);
    disk.GiveAnswer();
    RunLoop();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].catalog, "101");
}

TEST_F(FolderPacingTest, PauseHoldsEveryFileOfTheFolderAndStartContinuesThem) {
    Make("trip/a.txt");
    Make("trip/b.txt");
    Make("trip/c.txt");
    Make("trip/sub/d.txt");
    Add("trip");
    SendTheTopFolderAndFinishItsA();

    // a.txt has arrived and is left alone; the other two are paused, one of them refusing.
    const int32_t a = IdsOf("a.txt").at(0), b = IdsOf("b.txt").at(0), c = IdsOf("c.txt").at(0);
    EXPECT_CALL(adapter, PauseTask(a, 1)).Times(0);
    EXPECT_CALL(adapter, PauseTask(b, 1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, PauseTask(c, 1)).WillOnce(Return(-1));
    EXPECT_FALSE(upload.PauseFolder(Path("trip")));
    EXPECT_EQ(State(), TASK_PAUSED);
    EXPECT_EQ(list.tasks.at(0).nState, TASK_PAUSED);

    // The sub-folder's catalog arrives while paused: its file waits, and nothing is asked of the engine.
    EXPECT_CALL(adapter, GetProgress(_, An<tagUploadProgress&>())).Times(0);
    disk.GiveAnswer();
    RunLoop();
    upload.TUploadCatalog();
    RunLoop();
    EXPECT_EQ(batches.size(), 1u);
    ::testing::Mock::VerifyAndClearExpectations(&adapter);

    EXPECT_CALL(adapter, ResumeTask(a, 1)).Times(0);
    EXPECT_CALL(adapter, ResumeTask(b, 1)).WillOnce(Return(0));
    EXPECT_CALL(adapter, ResumeTask(c, 1)).WillOnce(Return(0));
    EXPECT_TRUE(upload.StartFolder(Path("trip")));
    EXPECT_EQ(State(), TASK_RUNNING);
    RunLoop();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].names, std::vector<std::string>{U8(u8"d.txt@我的网盘\\trip\\sub")});
    End(TASK_FINISHED);
    upload.TUploadCatalog();
    EXPECT_EQ(State(), TASK_FINISHED);
}

TEST_F(FolderPacingTest, ADeletedFolderLeavesNoEngineTaskAndTheNextFolderGoesOn) {
    Make("trip/a.txt");
    Make("trip/b.txt");
    Make("trip/sub/c.txt");
    Make("next/n.txt");
    Add("trip");
    Add("next");
    SendTheTopFolderAndFinishItsA();
    ASSERT_EQ(disk.requests.back(), "sub<100");

    // Finished or not, every engine task of the folder goes.
    for (const int32_t id : IdsOf("a.txt")) {
        EXPECT_CALL(adapter, DeleteTask(id, 1));
    }
    for (const int32_t id : IdsOf("b.txt")) {
        EXPECT_CALL(adapter, DeleteTask(id, 1));
    }
    upload.DeleteFolder(Path("trip"));
    ASSERT_EQ(upload.Tasks().size(), 1u);
    EXPECT_EQ(list.tasks.size(), 1u);
    // The answer for its sub-folder still comes; it is dropped, and only then is the next folder asked for,
    // since an answer does not say which request it answers.
    RunLoop();
    EXPECT_EQ(disk.requests.back(), "sub<100");
    disk.GiveAnswer();
    RunLoop();
    EXPECT_EQ(disk.requests.back(), "next<11");
    disk.GiveAnswer();
    RunLoop();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].names, std::vector<std::string>{U8(u8"n.txt@我的网盘\\next")});
    EXPECT_TRUE(IdsOf("c.txt").empty());
}

TEST_F(FolderPacingTest, ABatchTheEngineRefusesLeavesNoTaskBehindAndTheFolderFails) {
    Make("trip/a.txt");
    Make("trip/sub/b.txt");
    refuseBatches = true;
    EXPECT_CALL(adapter, DeleteTask(501, 1));
    EXPECT_CALL(adapter, DeleteTask(502, 1));
    Add("trip");
    upload.Start();
    RunLoop();
    // Both folders were still tried.
    EXPECT_EQ(batches.size(), 2u);
    EXPECT_EQ(State(), TASK_FAILED);
    EXPECT_FALSE(timers.IsActive(TIMER_UPLOAD_CATALOG));
}

TEST_F(FolderPacingTest, TheNextFolderStartsOnceThePreviousHasHandedOverAllItsFiles) {
    Make("one/a.txt");
    Make("two/b.txt");
    Make("three/c.txt");
    Add("one");
    Add("two");
    Add("three");
    upload.Start();
    RunLoop();
    EXPECT_EQ(disk.requests, (std::vector<std::string>{"one<11", "two<11", "three<11"}));
    EXPECT_EQ(batches.size(), 3u);
    End(TASK_FINISHED, "b.txt");
    upload.TUploadCatalog();
    EXPECT_EQ(State(0), TASK_RUNNING);
    EXPECT_EQ(State(1), TASK_FINISHED);

    // A folder paused before it started waits, and does not hold back the end of the others.
    Make("four/d.txt");
    Add("four");
    EXPECT_TRUE(upload.PauseFolder(Path("four")));
    upload.Start();
    RunLoop();
    EXPECT_EQ(batches.size(), 3u);
    End(TASK_FINISHED);
    upload.TUploadCatalog();
    EXPECT_EQ(State(0), TASK_FINISHED);
    EXPECT_TRUE(timers.IsActive(TIMER_UPLOAD_CATALOG));
    EXPECT_TRUE(upload.StartFolder(Path("four")));
    RunLoop();
    EXPECT_EQ(batches.size(), 4u);
    End(TASK_FINISHED);
    upload.TUploadCatalog();
    EXPECT_EQ(State(3), TASK_FINISHED);
    EXPECT_FALSE(timers.IsActive(TIMER_UPLOAD_CATALOG));
}

}  // namespace
