// Upload batches, downloads, listings, progress and the single-task commands against the scripted engine.

#include <stdexcept>

#include "AdapterFixture.h"
#include "host/Framework.h"
#include "host/HostIds.h"
#include "host/HostInterfaces.h"
#include "uip/UIPUpload/TaskProgress.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

constexpr uint64_t kMB = 1024 * 1024;

tagUploadInfo Request() {
    tagUploadInfo info;
    info.nAppType = 7;
    info.strHost = "127.0.0.1";
    info.nPort = 8080;
    info.strTargetCatalogID = "10000000000011";
    info.strNewCatalogName = "新建";
    info.strTag = "标签";
    info.strRequestPath = "lumenoApp/share/pc_uploadFileRequest";
    info.strSSOKey = "token";
    return info;
}

tagUploadFileEntry Entry(const std::string& path, uint64_t size) {
    tagUploadFileEntry entry;
    entry.strFilePath = path;
    entry.ullFileSize = size;
    return entry;
}

// The host's login component as the single sign-on re-binding uses it.
class SignOnLogin final : public IUICLogin {
public:
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    long QueryInterface(const GUID&, void** ppv) override {
        *ppv = nullptr;
        return 0;
    }
    long CreateComponent(long) override { return -1; }
    HWND GetComponentHwnd() override { return nullptr; }
    long DoComponent() override { return 0; }
    long OnEventHandle(long, WPARAM, LPARAM) override { return -1; }
    long OnComponentNotify(long, WPARAM, LPARAM) override { return -1; }
    long GetAccountInfo(std::string&, std::string&) override { return 0; }
    long GetSelectedText(long selector, std::string& text) override {
        if (fail) {
            return -1;
        }
        text = "fresh" + std::to_string(selector);
        return 0;
    }
    long UpdateSignOn(std::string& signOn) override {
        signOn += "-renewed";
        return 0;
    }
    std::string GetLoginString() override { return {}; }
    std::string GetUnsafeWords() override { return {}; }
    bool fail = false;
};

}  // namespace

TEST_F(UIPAdapterTest, StartUploadDescribesEachTaskAndAnnouncesTheBatch) {
    Bind();
    UploadFileList files{Entry("/home/u/照片.jpg", 5 * kMB * 1024), Entry("/home/u/b.txt", 10)};
    files[0].strDescription = "说明";
    files[0].nMiniatureFlag = 1;
    files[0].strMiniatureName = "/p/Miniature/照片.jpg";
    files[0].ullMiniatureSize = 3000;
    files[1].bComplexFlag = 1;
    files[1].strComplexCID = "cid-9";
    files[1].strMiniatureName = "ignored without the flag";

    EXPECT_EQ(0, m_adapter.StartUpload(files, Request(), 0));

    EXPECT_THAT(m_engine->calls,
                ElementsAre("Init(demo,lumenoApp/share/pc_uploadFileRequest,127.0.0.1,8080,token," +
                                DatabasePath("demo") + ")",
                            "AddUpLoadFile", "AddUpLoadFile", "UpLoad(0)"));
    ASSERT_EQ(2u, m_engine->uploads.size());
    scripted::Task& photo = *m_engine->uploads[0];
    EXPECT_EQ(Utf8(u8"/home/u/照片.jpg"), photo.fileName);
    EXPECT_EQ(5 * kMB * 1024, photo.fileSize) << "sizes above 4 GB reach the engine whole";
    EXPECT_EQ(Utf8(u8"说明"), photo.description);
    EXPECT_EQ("7", photo.appType);
    EXPECT_EQ("10000000000011", photo.parentCatalogId);
    EXPECT_EQ(Utf8(u8"新建"), photo.newCatalogName);
    EXPECT_EQ(Utf8(u8"标签"), photo.tag);
    EXPECT_EQ(Utf8(u8"/p/Miniature/照片.jpg"), photo.miniatureName);
    EXPECT_EQ(3000u, photo.miniatureSize);
    EXPECT_FALSE(photo.complexFlag);
    scripted::Task& text = *m_engine->uploads[1];
    EXPECT_TRUE(text.complexFlag);
    EXPECT_EQ("cid-9", text.complexCid);
    EXPECT_FALSE(text.miniatureNameSet);

    EXPECT_EQ(std::to_string(photo.GetFileID()), files[0].strFileID);
    EXPECT_EQ(std::to_string(m_engine->uploads[1]->GetFileID()), files[1].strFileID);

    ASSERT_EQ(1u, m_callBack.events.size()) << "reported before StartUpload returned";
    const RecordedEvent& event = m_callBack.events[0];
    EXPECT_EQ(UIP_EVENT_UPLOAD_BATCH, event.id);
    EXPECT_EQ(0, event.lParam);
    ASSERT_EQ(2u, event.batch.size());
    EXPECT_EQ(m_engine->uploads[0]->GetFileID(), event.batch[0].nFileID);
    EXPECT_EQ("/home/u/照片.jpg", event.batch[0].strFilePath);
    EXPECT_EQ(5 * kMB * 1024, event.batch[0].ullFileSize);
    EXPECT_EQ(TASK_WAITING, event.batch[0].nState);
    EXPECT_EQ(0, event.batch[0].nCatalogFlag);
}

TEST_F(UIPAdapterTest, FolderBatchIsAnnouncedAsEventSix) {
    Bind();
    UploadFileList files{Entry("/f/a", 1)};
    EXPECT_EQ(0, m_adapter.StartUpload(files, Request(), 1));
    ASSERT_EQ(1u, m_callBack.events.size());
    EXPECT_EQ(UIP_EVENT_FOLDER_BATCH, m_callBack.events[0].id);
    EXPECT_EQ(1, m_callBack.events[0].batch.at(0).nCatalogFlag);

    EXPECT_EQ(0, m_adapter.StartUpload(files, Request(), 2));
    EXPECT_EQ(UIP_EVENT_UPLOAD_BATCH, m_callBack.events.at(1).id);
}

TEST_F(UIPAdapterTest, EmptyBatchStillRebindsStartsAndAnnounces) {
    Bind();
    UploadFileList files;
    EXPECT_EQ(0, m_adapter.StartUpload(files, Request(), 0));
    ASSERT_EQ(2u, m_engine->calls.size());
    EXPECT_THAT(m_engine->calls[0], testing::StartsWith("Init(demo,"));
    EXPECT_EQ("UpLoad(0)", m_engine->calls[1]);
    ASSERT_EQ(1u, m_callBack.events.size());
    EXPECT_THAT(m_callBack.events[0].batch, IsEmpty());
}

TEST_F(UIPAdapterTest, TaskRefusedMidwayKeepsWhatWasDone) {
    Bind();
    m_engine->addLimit = 1;
    UploadFileList files{Entry("/a", 1), Entry("/b", 2), Entry("/c", 3)};
    EXPECT_EQ(-1, m_adapter.StartUpload(files, Request(), 0));
    EXPECT_EQ(1u, m_engine->uploads.size()) << "the first task stays in the engine";
    EXPECT_EQ(std::to_string(m_engine->uploads[0]->GetFileID()), files[0].strFileID);
    EXPECT_THAT(files[1].strFileID, IsEmpty());
    EXPECT_THAT(m_engine->calls, testing::Not(testing::Contains("UpLoad(0)")));
    EXPECT_THAT(m_callBack.events, IsEmpty());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::StartUpload, error = spFileInfo为空, 错误"));
}

TEST_F(UIPAdapterTest, FailingStartSendsNoAnnouncement) {
    Bind();
    UploadFileList files{Entry("/a", 1)};
    m_engine->upLoadResult = E_FAIL;
    EXPECT_EQ(-1, m_adapter.StartUpload(files, Request(), 0));
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::StartUpload, Info = hResult为空, 错误"));

    m_engine->upLoadResult = S_OK;
    m_engine->faults["UpLoad"] = [] { throw std::runtime_error("lost"); };
    EXPECT_EQ(-1, m_adapter.StartUpload(files, Request(), 0));
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::StartUpload, info = 组件产生异常"));
    EXPECT_THAT(m_callBack.events, IsEmpty());
}

TEST_F(UIPAdapterTest, StartUploadKeepsTheRequestForSingleSignOn) {
    Bind();
    UploadFileList files;
    tagUploadInfo info = Request();
    info.strSSOKey = "old";
    ASSERT_EQ(0, m_adapter.StartUpload(files, info, 0));
    ComPtr<scripted::Task> task = m_engine->AddTask(true);
    m_engine->calls.clear();

    SignOnLogin login;
    FW_RegisterInterface(&IID_IUICLogin, &login);

    m_adapter.SetSSOFlag(1);
    login.fail = true;
    EXPECT_EQ(0, m_adapter.ResumeTask(task->GetFileID(), 1));
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::InitUpload, Info = lRet返回失败, 错误"));
    EXPECT_THAT(m_engine->calls, testing::Not(testing::Contains(testing::StartsWith("Init("))));

    login.fail = false;
    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.ContTask(task->GetFileID(), 1));
    EXPECT_THAT(m_engine->calls,
                ElementsAre("Init(demo,lumenoApp/share/pc_uploadFileRequest,127.0.0.1,8080,"
                            "fresh1-renewed," +
                                DatabasePath("demo") + ")",
                            "GetFileList", "ContUpload(" + std::to_string(task->GetFileID()) + ")"));

    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.ResumeTask(task->GetFileID(), 1));
    EXPECT_THAT(m_engine->calls,
                ElementsAre("GetFileList", "Resume(" + std::to_string(task->GetFileID()) + ")"))
        << "the flag is cleared once re-bound";
    FW_RegisterInterface(&IID_IUICLogin, nullptr);
}

TEST_F(UIPAdapterTest, TaskCommandsActOnTheirOwnList) {
    Bind();
    const int32_t upload = m_engine->AddTask(true)->GetFileID();
    const int32_t download = m_engine->AddTask(false)->GetFileID();
    const std::string up = "(" + std::to_string(upload) + ")";
    const std::string down = "(" + std::to_string(download) + ")";

    EXPECT_EQ(0, m_adapter.PauseTask(upload, 1));
    EXPECT_EQ(0, m_adapter.ResumeUpload(upload));
    EXPECT_EQ(0, m_adapter.ContTask(download, 0));
    EXPECT_EQ(0, m_adapter.ContUpload(upload));
    EXPECT_EQ(0, m_adapter.AbortTask(download, 0));
    EXPECT_EQ(0, m_adapter.DeleteTask(download, 0));
    EXPECT_EQ(0, m_adapter.DeleteUpload(upload));
    std::vector<std::string> commands;
    for (const std::string& call : m_engine->calls) {
        if (call != "GetFileList" && call != "GetDownLoadList") {
            commands.push_back(call);
        }
    }
    EXPECT_THAT(commands, ElementsAre("Pause" + up, "Resume" + up, "ContDownLoad" + down, "ContUpload" + up,
                                      "Abort" + down, "Abort" + down, "Delete" + down, "Delete" + up));
}

TEST_F(UIPAdapterTest, IdFromTheOtherListIsNotFound) {
    Bind();
    const int32_t upload = m_engine->AddTask(true)->GetFileID();
    const int32_t download = m_engine->AddTask(false)->GetFileID();
    EXPECT_EQ(-1, m_adapter.PauseTask(upload, 0));
    EXPECT_EQ(-1, m_adapter.PauseUpload(download));
    EXPECT_EQ(-1, m_adapter.GetErrorCode(download, 1));
    tagFileInfo info;
    info.nFileID = upload;
    long percent = -7;
    EXPECT_EQ(-1, m_adapter.GetDownLOadProgress(percent, info));
    EXPECT_EQ(-7, percent);
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::PauseTask, error = spFileInfo为空, 错误"));
    for (const std::string& call : m_engine->calls) {
        EXPECT_THAT(call, testing::Not(testing::StartsWith("Pause(")));
    }
}

TEST_F(UIPAdapterTest, UploadCommandsWantExactlyOkTaskCommandsAnySuccess) {
    Bind();
    ComPtr<scripted::Task> task = m_engine->AddTask(true);
    task->commandResult = S_FALSE;
    EXPECT_EQ(-1, m_adapter.PauseUpload(task->GetFileID()));
    EXPECT_EQ(-1, m_adapter.ResumeUpload(task->GetFileID()));
    EXPECT_EQ(-1, m_adapter.DeleteUpload(task->GetFileID()));
    EXPECT_EQ(-1, m_adapter.ContUpload(task->GetFileID()));
    EXPECT_EQ(0, m_adapter.AbortUpload(task->GetFileID()));
    EXPECT_EQ(0, m_adapter.PauseTask(task->GetFileID(), 1));
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::PauseUpload, Info = hRet为空, 错误"));
}

TEST_F(UIPAdapterTest, ThrowingCommandIsCaughtAndLogged) {
    Bind();
    ComPtr<scripted::Task> task = m_engine->AddTask(false);
    m_engine->faults["Task.Pause"] = [] { throw ComError(E_ABORT); };
    m_engine->faults["Task.Abort"] = [] { throw 42; };
    EXPECT_EQ(-1, m_adapter.PauseTask(task->GetFileID(), 0));
    EXPECT_EQ(-1, m_adapter.DeleteTask(task->GetFileID(), 0));
    EXPECT_THAT(m_engine->calls, testing::Not(testing::Contains(testing::StartsWith("Delete("))));
    const std::string log = LogSinceStart();
    EXPECT_THAT(log, HasSubstr("CUIPUploadComp::PauseTask, 异常描述：Operation aborted 错误ID = 80004004"));
    EXPECT_THAT(log, HasSubstr("组件接口日志调用前: CUIPUploadComp::DeleteTask, hRet = spFileInfo->Abort()"));
    EXPECT_THAT(log, HasSubstr("CUIPUploadComp::DeleteTask, info = 组件产生异常"));
}

TEST_F(UIPAdapterTest, ErrorCodeIsTheTasksOwn) {
    Bind();
    ComPtr<scripted::Task> task = m_engine->AddTask(true);
    task->errorCode = OrvULD::ORV_ERROR_NO_SPACE;
    EXPECT_EQ(9436, m_adapter.GetErrorCode(task->GetFileID(), 1));
}

TEST_F(UIPAdapterTest, NextTryIsGivenInWholeSecondsRoundedUp) {
    Bind();
    ComPtr<scripted::Task> task = m_engine->AddTask(true);
    const long id = task->GetFileID();
    for (const auto& [milliseconds, seconds] :
         std::vector<std::pair<int64_t, long>>{{-1, -1}, {0, 0}, {1, 1}, {1000, 1}, {1001, 2}, {59999, 60}}) {
        task->nextTryIn = milliseconds;
        EXPECT_EQ(seconds, m_adapter.GetNextTry(id, 1)) << milliseconds;
    }
    EXPECT_EQ(-1, m_adapter.GetNextTry(id, 0));  // not a download
    m_engine->faults["Task.GetNextTryIn"] = [] { throw ComError(E_FAIL); };
    EXPECT_EQ(-1, m_adapter.GetNextTry(id, 1));
    EXPECT_THAT(LogSinceStart(),
                HasSubstr("组件接口日志调用前: CUIPUploadComp::GetNextTry, lRet = spFileInfo->NextTryIn"));
}

TEST_F(UIPAdapterTest, ProgressAboveTheSizeIsClipped) {
    Bind();
    ComPtr<scripted::Task> upload = m_engine->AddTask(true);
    upload->fileSize = 100;
    upload->progress = 150;
    upload->state = OrvULD::ORV_SESSION_STATE_RUNNING;
    tagFileInfo info;
    info.ullFileSize = 77;
    EXPECT_EQ(0, m_adapter.GetProgress(upload->GetFileID(), 1, info));
    EXPECT_EQ(100u, info.ullDoneSize);
    EXPECT_EQ(77u, info.ullFileSize) << "an upload's size is the caller's";
    EXPECT_EQ(TASK_RUNNING, info.nState);

    ComPtr<scripted::Task> download = m_engine->AddTask(false);
    download->fileSize = 6 * kMB * 1024;
    download->progress = 5 * kMB * 1024;
    download->state = OrvULD::ORV_SESSION_STATE_PAUSE;
    EXPECT_EQ(0, m_adapter.GetProgress(download->GetFileID(), 0, info));
    EXPECT_EQ(6 * kMB * 1024, info.ullFileSize);
    EXPECT_EQ(5 * kMB * 1024, info.ullDoneSize);
    EXPECT_EQ(TASK_PAUSED, info.nState);

    tagUploadProgress progress;
    EXPECT_EQ(0, m_adapter.GetProgress(upload->GetFileID(), progress));
    EXPECT_EQ(150u, progress.ullDone);
    EXPECT_EQ(TASK_RUNNING, progress.nState);
    EXPECT_EQ(-1, m_adapter.GetProgress(download->GetFileID(), progress)) << "upload tasks only";
}

TEST_F(UIPAdapterTest, DownloadPercentageIsComputedIn64Bits) {
    Bind();
    ComPtr<scripted::Task> big = m_engine->AddTask(false);
    big->fileSize = 100 * kMB;  // done x 100 no longer fits 32 bits
    big->progress = 75 * kMB;
    big->state = OrvULD::ORV_SESSION_STATE_SCCESS;
    tagFileInfo info;
    info.nFileID = big->GetFileID();
    long percent = -1;
    EXPECT_EQ(0, m_adapter.GetDownLOadProgress(percent, info));
    EXPECT_EQ(75, percent);
    EXPECT_EQ(100 * kMB, info.ullFileSize);
    EXPECT_EQ(75 * kMB, info.ullDoneSize);
    EXPECT_EQ(TASK_FINISHED, info.nState);

    ComPtr<scripted::Task> empty = m_engine->AddTask(false);
    info.nFileID = empty->GetFileID();
    EXPECT_EQ(0, m_adapter.GetDownLOadProgress(percent, info));
    EXPECT_EQ(0, percent) << "a size-0 task is at 0 %, not a division by zero";
}

TEST_F(UIPAdapterTest, TaskListShowsStatePathsAndPercentages) {
    Bind();
    ComPtr<scripted::Task> huge = m_engine->AddTask(true);
    huge->fileName = Utf8(u8"/d/影片.mkv");
    huge->displayName = Utf8(u8"影片.mkv");
    huge->fileSize = 6 * kMB * 1024;  // above 4 GB: a 32-bit size would be cut
    huge->progress = 3 * kMB * 1024;
    huge->state = OrvULD::ORV_SESSION_STATE_RUNNING;
    ComPtr<scripted::Task> empty = m_engine->AddTask(true);
    empty->progress = 12;
    empty->state = OrvULD::ORV_SESSION_STATE_ERROR;
    ComPtr<scripted::Task> download = m_engine->AddTask(false);

    FileInfoMap tasks;
    tasks[-5].nFileID = -5;
    EXPECT_EQ(0, m_adapter.GetTaskList(1, tasks));
    ASSERT_EQ(2u, tasks.size()) << "cleared first, then uploads only";
    const tagFileInfo& first = tasks.at(huge->GetFileID());
    EXPECT_EQ("/d/影片.mkv", first.strFilePath);
    EXPECT_EQ("影片.mkv", first.strFileName);
    EXPECT_EQ(6 * kMB * 1024, first.ullFileSize);
    EXPECT_EQ(3 * kMB * 1024, first.ullDoneSize);
    EXPECT_EQ("50.0%", first.strProgress);
    EXPECT_EQ(TASK_RUNNING, first.nState);
    const tagFileInfo& second = tasks.at(empty->GetFileID());
    EXPECT_EQ(0u, second.ullDoneSize);
    EXPECT_THAT(second.strProgress, IsEmpty());
    EXPECT_EQ(TASK_ENGINE_ERROR, second.nState);

    EXPECT_EQ(0, m_adapter.GetTaskList(0, tasks));
    EXPECT_EQ(1u, tasks.count(download->GetFileID()));
    EXPECT_EQ(1u, tasks.size());
}

TEST_F(UIPAdapterTest, LastUploadListIsAppendedTo) {
    Bind();
    ComPtr<scripted::Task> task = m_engine->AddTask(true);
    task->fileName = Utf8(u8"/u/文件.txt");
    task->fileSize = 8 * kMB * 1024;
    task->progress = 1234;
    m_engine->AddTask(false);
    UploadFileList files{Entry("/kept", 1)};
    EXPECT_EQ(0, m_adapter.GetLastUploadList(files));
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("/kept", files[0].strFilePath);
    EXPECT_EQ("/u/文件.txt", files[1].strFilePath);
    EXPECT_EQ(std::to_string(task->GetFileID()), files[1].strFileID);
    EXPECT_EQ(8 * kMB * 1024, files[1].ullFileSize);
    EXPECT_EQ(1234u, files[1].ullDoneSize);
}

TEST_F(UIPAdapterTest, DownloadIsReportedByItsKind) {
    Bind();
    EXPECT_EQ(0, m_adapter.DownloadFile("http://127.0.0.1:8080/lumenoApp/file/7", "/dl/歌.mp3",
                                        DOWNLOAD_KIND_ORDINARY, 99));
    EXPECT_THAT(m_engine->calls, ElementsAre("DownLoad(http://127.0.0.1:8080/lumenoApp/file/7,demo," +
                                             Utf8(u8"/dl/歌.mp3") + ")"));
    ASSERT_EQ(1u, m_callBack.events.size());
    EXPECT_EQ(UIP_EVENT_DOWNLOAD, m_callBack.events[0].id);
    EXPECT_EQ(99, m_callBack.events[0].lParam);
    EXPECT_EQ(m_engine->downloads.at(0)->GetFileID(), m_callBack.events[0].record.nFileID);
    EXPECT_EQ("/dl/歌.mp3", m_callBack.events[0].record.strFilePath);
    EXPECT_EQ(TASK_WAITING, m_callBack.events[0].record.nState);

    for (long kind : {DOWNLOAD_KIND_SKIN, DOWNLOAD_KIND_CRAWLER, DOWNLOAD_KIND_NEWFILE, 0L}) {
        EXPECT_EQ(0, m_adapter.DownloadFile("u", "p", kind, 0));
    }
    ASSERT_EQ(5u, m_callBack.events.size());
    EXPECT_EQ(3, m_callBack.events[1].id);
    EXPECT_EQ(4, m_callBack.events[2].id);
    EXPECT_EQ(5, m_callBack.events[3].id);
    EXPECT_EQ(UIP_EVENT_DOWNLOAD, m_callBack.events[4].id);
}

TEST_F(UIPAdapterTest, RefusedDownloadIsNotReported) {
    Bind();
    m_engine->refuseDownloads = true;
    EXPECT_EQ(-1, m_adapter.DownloadFile("u", "p", DOWNLOAD_KIND_ORDINARY, 0));
    EXPECT_THAT(m_callBack.events, IsEmpty());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::DownloadFile, error = spFileInfo为空, 错误"));
}

TEST(UIPTaskProgress, PercentagesAre64BitAndNeverDivideByZero) {
    EXPECT_EQ(0u, CTaskProgress::Percent(0, 0));
    EXPECT_EQ(0u, CTaskProgress::Percent(10, 0));
    EXPECT_EQ(33u, CTaskProgress::Percent(1, 3));
    EXPECT_EQ(99u, CTaskProgress::Percent(43 * kMB - 1, 43 * kMB));
    EXPECT_EQ(50u, CTaskProgress::Percent(1ull << 62, 1ull << 63));
    EXPECT_EQ(100u, CTaskProgress::Percent(200, 100));
    EXPECT_EQ("", CTaskProgress::PercentText(5, 0));
    EXPECT_EQ("33.3%", CTaskProgress::PercentText(1, 3));
    EXPECT_EQ("12.5%", CTaskProgress::PercentText(kMB * 1024 * 5, kMB * 1024 * 40));
    EXPECT_EQ("100.0%", CTaskProgress::PercentText(7, 5));
}
