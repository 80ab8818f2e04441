// Nothing is lost: a killed client, a server that restarts or drops the connection, a lost network.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "DiskServiceFixture.h"
#include "engine/ChunkPlan.h"

extern char** environ;

namespace nimbra::engine {
namespace {

using OrvULD::ORV_SESSION_STATE_SCCESS;
using OrvULD::ORV_SESSION_STATE_SYNC_UPLOADED;

constexpr uint64_t kChunk = ChunkPlan::kFirstChunkSize;

class RecoveryTest : public DiskServiceFixture {
protected:
    // Runs the upload child on file until it reports at least minProgress bytes, then kills it with SIGKILL.
    void RunChildUntil(const std::string& file, uint64_t minProgress) {
        const std::string child =
            (std::filesystem::canonical("/proc/self/exe").parent_path() / "engine_upload_child").string();
        const std::string port = std::to_string(m_port);
        const std::string database = DatabasePath();
        const std::string path = UploadPath();
        std::vector<char*> args{const_cast<char*>(child.c_str()), const_cast<char*>(database.c_str()),
                                const_cast<char*>("127.0.0.1"),   const_cast<char*>(port.c_str()),
                                const_cast<char*>(path.c_str()),  const_cast<char*>(m_token.c_str()),
                                const_cast<char*>(file.c_str()),  nullptr};
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, child.c_str(), &actions, nullptr, args.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::FILE* reader = fdopen(out[0], "r");
        int state = 0;
        unsigned long long progress = 0;
        bool reached = false;
        while (std::fscanf(reader, "%d %llu", &state, &progress) == 2) {
            if (progress >= minProgress) {
                reached = true;
                break;
            }
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::fclose(reader);
        ASSERT_TRUE(reached) << "the child never reached " << minProgress << " bytes";
    }
};

TEST_F(RecoveryTest, AnUploadCutOffBySigkillIsFoundAndFinishedByTheNextRunByteIdentical) {
    const std::string file = m_dir.File("killed.bin");
    const std::string bytes = WriteRandomFile(file, 2 * kChunk + 777, 11);
    Fault("hangMs=2000&pathPrefix=" + UploadPath() + "/&count=1");  // the child dies while its append waits
    RunChildUntil(file, kChunk + 1);  // the creation is confirmed and the append has begun

    auto engine = BoundEngine();  // a sign-on is known: the interrupted task goes on by itself
    auto list = engine->GetFileList();
    ASSERT_EQ(list->Count(), 1);
    auto task = list->Item(0);
    EXPECT_EQ(task->GetfileName(), file);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("killed.bin", "fileID")), bytes));
}

TEST_F(RecoveryTest, ADroppedConnectionWaitsForItsNextTryAndSyncThenContinueSendOnlyWhatTheServerLacks) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("dropped.bin");
    const std::string bytes = WriteRandomFile(file, 2 * kChunk + 5, 12);
    Fault("dropAfterBytes=1000000");  // the first append loses its connection part way
    auto task = StartUpload(*engine, file);
    EXPECT_GT(WaitForPlannedTry(*task), 0);
    EXPECT_EQ(task->GetProgress(), kChunk);  // the creation's chunk was confirmed, the cut one was not

    Fault("hangMs=500&pathPrefix=" + UploadPath() + "/&count=1");  // holds the confirmation back
    EXPECT_EQ(engine->SyncUploadTask(), S_OK);
    EXPECT_EQ(engine->GetState(), 1);     // synchronising
    EXPECT_EQ(task->GetNextTryIn(), -1);  // confirmed now instead of at the planned time
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SYNC_UPLOADED));
    EXPECT_EQ(engine->GetState(), 0);
    EXPECT_EQ(task->GetProgress(), kChunk);
    EXPECT_EQ(task->ContUpload(), S_OK);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("dropped.bin", "fileID")), bytes));
}

TEST_F(RecoveryTest, AServerRestartMidTransferIsRiddenOutByTheEngineItselfAndNothingIsLost) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("restart.bin");
    const std::string bytes = WriteRandomFile(file, 4 * kChunk + 9, 13);
    // The creation is held too, so that the speed it shows sizes the next request to about two chunks:
    // the stopping server finishes the request it holds, and bytes are left for one it no longer takes.
    Fault("hangMs=1000&pathPrefix=" + UploadPath() + "&count=2");
    auto task = StartUpload(*engine, file);
    ASSERT_TRUE(WaitFor([&] { return task->GetProgress() > kChunk; }));  // the append has begun
    StopService();
    int64_t wait = WaitForPlannedTry(*task);
    // The stopping server may still have finished the chunk it held; either way the creation's is confirmed.
    const uint64_t confirmed = task->GetProgress();
    EXPECT_GE(confirmed, kChunk);
    // While the server is away, each try fails the same way and loses nothing.
    for (int i = 0; i < 2; ++i) {
        m_clock->Advance(std::chrono::milliseconds(wait));
        wait = WaitForPlannedTry(*task);
        EXPECT_EQ(task->GetProgress(), confirmed);
    }

    StartService();  // no one presses Start: the planned try finds the server back
    m_clock->Advance(std::chrono::milliseconds(wait));
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("restart.bin", "fileID")), bytes));
}

TEST_F(RecoveryTest, ADownloadCutOffContinuesFromItsPartialFile) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("dl.bin");
    const std::string bytes = WriteRandomFile(file, 3 << 20, 14);
    auto upload = StartUpload(*engine, file);
    ASSERT_TRUE(WaitForState(*upload, ORV_SESSION_STATE_SCCESS));
    const std::string url = FileUrl(RemoteFileAttribute("dl.bin", "fileID"));
    const std::string target = m_dir.File("dl-out.bin");
    StopService();
    auto download = engine->DownLoad(url, kAccount, target);
    EXPECT_GT(WaitForPlannedTry(*download), 0);  // downloads are tried again too
    StartService();
    EXPECT_EQ(download->ContDownLoad(), S_OK);
    ASSERT_TRUE(WaitForState(*download, ORV_SESSION_STATE_SCCESS)) << "error " << download->GeterrorCode();
    EXPECT_TRUE(SameBytes(ReadFile(target), bytes));
    EXPECT_THROW(download->ContUpload(), ComError);  // a download is not an upload
}

TEST_F(RecoveryTest, APausedDownloadKeepsEveryByteItReceived) {
    // A server that sends the first 2,500,000 of 3 MiB and then stalls until the test ends: some blocks are
    // with the writer, the rest waits for a block to fill.
    constexpr size_t kSent = 2500000;
    std::atomic<bool> release{false};
    httplib::Server server;
    server.Get("/stall.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(3 << 20, "application/octet-stream",
                                 [&](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0)
                                         return sink.write(std::string(kSent, 'x').data(), kSent);
                                     while (!release)
                                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                     return false;
                                 });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });

    auto engine = BoundEngine();
    const std::string target = m_dir.File("stalled.bin");
    auto download =
        engine->DownLoad("http://127.0.0.1:" + std::to_string(port) + "/stall.bin", kAccount, target);
    EXPECT_TRUE(WaitFor([&] { return download->GetProgress() == kSent; }));
    EXPECT_EQ(download->Pause(), S_OK);
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(target + ".part", ec), kSent) << "bytes shown as received are kept";

    release = true;
    server.stop();
    serving.join();
}

TEST_F(RecoveryTest, ADownloadContinuesOnlyFromTheVersionItsPartialFileCameFrom) {
    auto engine = BoundEngine();
    const auto staticDir = m_dir.Path() / "service" / "static";
    const std::string url = "http://127.0.0.1:" + std::to_string(m_port) + "/static/doc.bin";
    for (const bool changed : {false, true}) {
        const std::string first =
            WriteRandomFile((staticDir / "doc.bin").string(), 3 << 20, changed ? 31 : 32);
        Fault("dropAfterBytes=1000000");
        const std::string target = m_dir.File(changed ? "changed.bin" : "same.bin");
        auto download = engine->DownLoad(url, kAccount, target);
        EXPECT_GT(WaitForPlannedTry(*download), 0);
        EXPECT_EQ(download->GetProgress(), 1000000u);
        // Rewritten on the server meanwhile: continuing would splice two versions.
        const std::string expected =
            changed ? WriteRandomFile((staticDir / "doc.bin").string(), (3 << 20) + 1, 33) : first;
        EXPECT_EQ(download->ContDownLoad(), S_OK);
        ASSERT_TRUE(WaitForState(*download, ORV_SESSION_STATE_SCCESS))
            << "error " << download->GeterrorCode();
        EXPECT_TRUE(SameBytes(ReadFile(target), expected)) << (changed ? "changed" : "unchanged");
    }
}

}  // namespace
}  // namespace nimbra::engine
