// Uploads and downloads against a real nimbra-diskd, end to end through the engine's contract.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DiskServiceFixture.h"
#include "engine/ChunkPlan.h"

namespace nimbra::engine {
namespace {

using OrvULD::ORV_SESSION_STATE_PAUSE;
using OrvULD::ORV_SESSION_STATE_SCCESS;

// UTF-8 as the engine speaks it (this file's literals are compiled to the component's code page).
constexpr uint64_t kChunk = ChunkPlan::kFirstChunkSize;
constexpr const char* kDescription = "\xe6\x8f\x8f\xe8\xbf\xb0";

class TransferTest : public DiskServiceFixture {};

TEST_F(TransferTest, UploadsOfSeveralSizesArriveWithTheirDescriptionAndComeBackByteIdentical) {
    auto engine = BoundEngine();
    const std::string empty = m_dir.File("empty.bin");
    const std::string small = m_dir.File("small.bin");
    const std::string large = m_dir.File("large.bin");  // spans two chunks: creation, then one append
    WriteRandomFile(empty, 0);
    const std::string smallBytes = WriteRandomFile(small, 10'000, 2);
    const std::string largeBytes = WriteRandomFile(large, kChunk + 12'345, 3);

    auto smallTask = engine->AddUpLoadFile();
    smallTask->PutfileName(small);
    smallTask->PutFileDescription(kDescription);
    smallTask->PutTag("tag1");
    smallTask->PutParentCatalogID("root");
    auto emptyTask = StartUpload(*engine, empty);
    auto largeTask = StartUpload(*engine, large);
    for (auto* task : {smallTask.Get(), emptyTask.Get(), largeTask.Get()}) {
        ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
        EXPECT_EQ(task->GetProgress(), task->GetFileSize());
        EXPECT_EQ(task->GeterrorCode(), 0);
    }
    EXPECT_EQ(engine->GetActiveTaskCount(), 0);
    EXPECT_EQ(RemoteFileAttribute("small.bin", "description"), kDescription);
    EXPECT_EQ(RemoteFileAttribute("small.bin", "tag"), "tag1");
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("small.bin", "fileID")), smallBytes));
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("large.bin", "fileID")), largeBytes));
    EXPECT_EQ(DownloadThroughEngine(*engine, RemoteFileAttribute("empty.bin", "fileID")), "");
}

TEST_F(TransferTest, TheThumbnailIsSentFromTheEnginesOwnCopyAfterTheComponentRemovedIt) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("photo.jpg");
    const std::string thumbnail = m_dir.File("thumb.jpg");
    WriteRandomFile(file, 5000, 4);
    const std::string thumbBytes = "\xFF\xD8\xFF\xE0" + WriteRandomFile(thumbnail, 3000, 5);
    std::ofstream(thumbnail, std::ios::binary) << thumbBytes;  // the service takes JPEG data only
    // Held back so the thumbnail folder is emptied before the upload gets going.
    Fault("hangMs=300&pathPrefix=" + UploadPath() + "&count=1");
    auto task = engine->AddUpLoadFile();
    task->PutfileName(file);
    task->PutMiniatureFileName(thumbnail);
    task->PutMiniatureFileSize(3000);
    engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    std::filesystem::remove(thumbnail);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(SameBytes(
        HttpGet("/lumenoApp/file/" + RemoteFileAttribute("photo.jpg", "fileID") + "/thumbnail"), thumbBytes));
}

TEST_F(TransferTest, PauseStopsTheTransferAndResumeFinishesItWithTheSameBytes) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("big.bin");
    const std::string bytes = WriteRandomFile(file, 2 * kChunk + 1, 6);
    Fault("hangMs=800&pathPrefix=" + UploadPath() + "/&count=1");  // the first append waits
    auto task = StartUpload(*engine, file);
    ASSERT_TRUE(WaitFor([&] { return task->GetProgress() > kChunk; }));  // the append has begun
    EXPECT_EQ(task->Pause(), S_OK);
    EXPECT_EQ(task->GetState(), ORV_SESSION_STATE_PAUSE);
    EXPECT_EQ(engine->GetActiveTaskCount(), 0);
    EXPECT_EQ(RemoteFileAttribute("big.bin", "fileID"), "");
    EXPECT_EQ(task->Resume(), S_OK);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("big.bin", "fileID")), bytes));
    EXPECT_EQ(task->Pause(), S_FALSE);  // nothing left to pause
}

TEST_F(TransferTest, AbortStopsARunningUploadWhichCanBeContinuedLater) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("aborted.bin");
    const std::string bytes = WriteRandomFile(file, 1 << 20, 9);
    Fault("hangMs=1000&pathPrefix=" + UploadPath() + "&count=1");  // the creation waits
    auto task = StartUpload(*engine, file);
    ASSERT_TRUE(WaitForState(*task, OrvULD::ORV_SESSION_STATE_RUNNING));
    EXPECT_EQ(task->Abort(), S_OK);
    EXPECT_EQ(task->GetState(), OrvULD::ORV_SESSION_STATE_FAIL);
    EXPECT_EQ(engine->GetActiveTaskCount(), 0);
    EXPECT_EQ(task->ContUpload(), S_OK);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("aborted.bin", "fileID")), bytes));
}

TEST_F(TransferTest, DeletingAnUnfinishedUploadRemovesItsRowAndEndsItOnTheServer) {
    const std::string file = m_dir.File("up.bin");
    WriteRandomFile(file, kChunk + (2 << 20), 7);
    {
        auto engine = BoundEngine();
        Fault("dropAfterBytes=100000");  // created with its first chunk, then cut off
        auto upload = StartUpload(*engine, file);
        WaitForPlannedTry(*upload);
        EXPECT_EQ(upload->Delete(), S_OK);
        EXPECT_EQ(upload->GetState(), OrvULD::ORV_SESSION_STATE_DELETED);
        EXPECT_FALSE(engine->GetFileList()->Find(upload->GetFileID()));
        EXPECT_THROW(upload->Resume(), ComError);
    }  // the engine goes away at once: ending the server's upload still happens
    // Its bytes no longer count against the account's space.
    ASSERT_TRUE(WaitFor([&] {
        return HttpGet("/lumenoApp/catalog").find("<SpareSize>2147483648</SpareSize>") != std::string::npos;
    }));
    auto engine = BoundEngine();
    EXPECT_EQ(engine->GetFileList()->Count(), 0);
}

TEST_F(TransferTest, AnUploadDeletedWhileTheServerIsAwayIsEndedByTheNextRun) {
    const std::string file = m_dir.File("away.bin");
    WriteRandomFile(file, kChunk + (2 << 20), 17);
    {
        auto engine = BoundEngine();
        Fault("dropAfterBytes=100000");
        auto upload = StartUpload(*engine, file);
        WaitForPlannedTry(*upload);
        StopService();
        EXPECT_EQ(upload->Delete(), S_OK);  // the server cannot be told now
    }
    StartService();
    EXPECT_EQ(HttpGet("/lumenoApp/catalog").find("<SpareSize>2147483648</SpareSize>"), std::string::npos);
    auto engine = BoundEngine();  // the stored termination goes out once a sign-on is known
    EXPECT_TRUE(WaitFor([&] {
        return HttpGet("/lumenoApp/catalog").find("<SpareSize>2147483648</SpareSize>") != std::string::npos;
    }));
}

TEST_F(TransferTest, EveryUploadAddedIsStartedOnceEvenOneAPreviousRunAddedAndNeverStarted) {
    const std::string left = m_dir.File("left.bin");
    const std::string later = m_dir.File("later.bin");
    const std::string gone = m_dir.File("gone.bin");
    WriteRandomFile(left, 3000, 9);
    WriteRandomFile(later, 4000, 10);
    WriteRandomFile(gone, 5000, 11);
    {
        auto engine = BoundEngine();
        auto task = engine->AddUpLoadFile();
        task->PutfileName(left);
        task->PutParentCatalogID("root");
    }  // the run ends before UpLoad
    auto engine = BoundEngine();
    auto deleted = engine->AddUpLoadFile();
    deleted->PutfileName(gone);
    EXPECT_EQ(deleted->Delete(), S_OK);
    auto task = StartUpload(*engine, later);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    auto leftTask = engine->GetFileList()->Item(0);
    ASSERT_TRUE(leftTask);
    ASSERT_TRUE(WaitForState(*leftTask, ORV_SESSION_STATE_SCCESS)) << "error " << leftTask->GeterrorCode();
    // Another batch starts none of them again.
    engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    EXPECT_EQ(engine->GetActiveTaskCount(), 0);
    const std::string files = HttpGet("/lumenoApp/catalog/root/files");
    for (const char* name : {"name=\"left.bin\"", "name=\"later.bin\""}) {
        const size_t first = files.find(name);
        EXPECT_NE(first, std::string::npos) << name;
        EXPECT_EQ(files.find(name, first + 1), std::string::npos) << name << " twice";
    }
    EXPECT_EQ(files.find("gone.bin"), std::string::npos);
}

TEST_F(TransferTest, DownloadNeverContinuesAPartialFileOfUnknownVersionAndDeleteRemovesIt) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("src.bin");
    const std::string bytes = WriteRandomFile(file, (8 << 20) + 3, 8);
    auto upload = StartUpload(*engine, file);
    ASSERT_TRUE(WaitForState(*upload, ORV_SESSION_STATE_SCCESS));
    const std::string fileId = RemoteFileAttribute("src.bin", "fileID");

    // A partial file of unknown version (no record says what it was taken from) is fetched again, never
    // continued.
    const std::string target = m_dir.File("out.bin");
    const std::string stranger(1 << 20, 'z');
    std::ofstream(target + ".part", std::ios::binary)
        .write(stranger.data(), static_cast<std::streamsize>(stranger.size()));
    auto download = engine->DownLoad(FileUrl(fileId), kAccount, target);
    ASSERT_TRUE(WaitForState(*download, ORV_SESSION_STATE_SCCESS)) << "error " << download->GeterrorCode();
    EXPECT_TRUE(SameBytes(ReadFile(target), bytes));
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));
    EXPECT_EQ(download->GetFileSize(), bytes.size());
    EXPECT_EQ(download->GetDisplayName(), "out.bin");
    EXPECT_TRUE(engine->GetDownLoadList()->Find(download->GetFileID()));
    EXPECT_FALSE(engine->GetFileList()->Find(download->GetFileID()));

    Fault("hangMs=1500&pathPrefix=/lumenoApp/file&count=1");
    const std::string second = m_dir.File("out2.bin");
    auto stopped = engine->DownLoad(FileUrl(fileId), kAccount, second);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(second + ".part"); }));
    EXPECT_EQ(stopped->Delete(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(second + ".part"));
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(engine->GetDownLoadList()->Count(), 1);
}

}  // namespace
}  // namespace nimbra::engine
