// The engine tries a transfer cut off by the network again by itself, waiting longer after each failure in
// a row, until it goes through; a user's pause ends the tries, and other failures are never tried again.
// Time is the fixture's retry clock, moved by the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "DiskServiceFixture.h"

namespace nimbra::engine {
namespace {

using OrvULD::ORV_SESSION_STATE_FAIL;
using OrvULD::ORV_SESSION_STATE_PAUSE;
using OrvULD::ORV_SESSION_STATE_SCCESS;
using std::chrono::milliseconds;

class AutomaticRetryTest : public DiskServiceFixture {
protected:
    // Every upload request answered 503 until cleared: a server that is there but cannot take anything.
    void RefuseUploads() { Fault("pathPrefix=" + UploadPath() + "&errorStatus=503&count=-1"); }
    void AcceptUploads() { Fault("clear=1"); }

    // Moves the clock to the task's planned try and waits until that try has failed again; the wait it
    // plans next.
    int64_t NextFailedTry(OrvULD::IOrvFileInfo& task, int64_t wait) {
        m_clock->Advance(milliseconds(wait));
        return WaitForPlannedTry(task);
    }
};

TEST_F(AutomaticRetryTest, WaitsBetweenTriesGrowUpToAMinuteAndTheUploadGoesThroughOnceTheServerTakesIt) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("patient.bin");
    const std::string bytes = WriteRandomFile(file, 300000, 21);
    RefuseUploads();
    auto task = StartUpload(*engine, file);
    std::vector<int64_t> waits{WaitForPlannedTry(*task)};
    for (int i = 0; i < 8; ++i) {
        waits.push_back(NextFailedTry(*task, waits.back()));
    }
    // 1 s, 2 s, 4 s ... less up to a quarter each; from the seventh on, the cap.
    for (size_t i = 0; i < waits.size(); ++i) {
        const int64_t base = std::min<int64_t>(1000ll << i, 60000);
        EXPECT_GE(waits[i], base * 3 / 4) << i;
        EXPECT_LE(waits[i], base) << i;
        if (i > 0 && base < 60000) {
            EXPECT_GT(waits[i], waits[i - 1]) << i;
        }
    }
    EXPECT_EQ(task->GetProgress(), 0u);

    AcceptUploads();
    m_clock->Advance(milliseconds(waits.back()));
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_EQ(task->GeterrorCode(), 0);
    EXPECT_EQ(task->GetNextTryIn(), -1);
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("patient.bin", "fileID")), bytes));
}

TEST_F(AutomaticRetryTest, AUsersPauseEndsTheTriesUntilTheUserContinues) {
    auto engine = BoundEngine();
    const std::string paused = m_dir.File("paused.bin");
    const std::string bytes = WriteRandomFile(paused, 200000, 22);
    const std::string other = m_dir.File("other.bin");
    WriteRandomFile(other, 1000, 23);
    RefuseUploads();
    auto pausedTask = StartUpload(*engine, paused);
    WaitForPlannedTry(*pausedTask);
    EXPECT_EQ(pausedTask->Pause(), S_OK);
    EXPECT_EQ(pausedTask->GetState(), ORV_SESSION_STATE_PAUSE);
    EXPECT_EQ(pausedTask->GetNextTryIn(), -1);

    // Another task's tries go on past the time the paused one would have had.
    auto otherTask = StartUpload(*engine, other);
    int64_t wait = WaitForPlannedTry(*otherTask);
    for (int i = 0; i < 3; ++i) {
        wait = NextFailedTry(*otherTask, wait);
    }
    EXPECT_EQ(pausedTask->GetState(), ORV_SESSION_STATE_PAUSE);
    EXPECT_EQ(pausedTask->GetNextTryIn(), -1);

    AcceptUploads();
    EXPECT_EQ(pausedTask->ContUpload(), S_OK);
    ASSERT_TRUE(WaitForState(*pausedTask, ORV_SESSION_STATE_SCCESS))
        << "error " << pausedTask->GeterrorCode();
    EXPECT_TRUE(
        SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("paused.bin", "fileID")), bytes));
}

TEST_F(AutomaticRetryTest, FailuresOtherThanTheNetworkAreNeverTriedAgain) {
    auto engine = BoundEngine();
    struct Case {
        const char* fault;  // empty: the local file is gone
        int32_t code;
    };
    const std::vector<Case> cases = {
        {"errorStatus=413&errorCode=9436", OrvULD::ORV_ERROR_NO_SPACE},
        {"errorStatus=404&errorCode=9162", OrvULD::ORV_ERROR_NO_CATALOG},
        {"errorStatus=401&errorCode=9476", OrvULD::ORV_ERROR_SIGNON_EXPIRED},
        {"errorStatus=460&errorCode=9493", OrvULD::ORV_ERROR_REFUSED},
        {"", OrvULD::ORV_ERROR_LOCAL_FILE},
    };
    std::vector<ComPtr<OrvULD::IOrvFileInfo>> failed;
    for (const Case& c : cases) {
        const std::string file = m_dir.File("refused-" + std::to_string(c.code) + ".bin");
        WriteRandomFile(file, 1000, static_cast<unsigned>(c.code));
        auto task = engine->AddUpLoadFile();
        task->PutfileName(file);
        if (*c.fault) {
            Fault(std::string("pathPrefix=") + UploadPath() + "&count=1&" + c.fault);
        } else {
            std::filesystem::remove(file);
        }
        engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
        ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_FAIL)) << c.code;
        EXPECT_EQ(task->GeterrorCode(), c.code);
        EXPECT_EQ(task->GetNextTryIn(), -1) << c.code;
        failed.push_back(task);
    }
    // A network failure's tries come and go meanwhile; the refused tasks stay as they are.
    const std::string file = m_dir.File("cut.bin");
    WriteRandomFile(file, 1000, 24);
    RefuseUploads();
    auto cut = StartUpload(*engine, file);
    int64_t wait = WaitForPlannedTry(*cut);
    for (int i = 0; i < 3; ++i) {
        wait = NextFailedTry(*cut, wait);
    }
    for (size_t i = 0; i < failed.size(); ++i) {
        EXPECT_EQ(failed[i]->GetState(), ORV_SESSION_STATE_FAIL) << cases[i].code;
        EXPECT_EQ(failed[i]->GeterrorCode(), cases[i].code);
        EXPECT_EQ(failed[i]->GetNextTryIn(), -1);
    }
}

}  // namespace
}  // namespace nimbra::engine
