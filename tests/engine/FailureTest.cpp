// Failures reach the task as the error codes of the protocol, and never as garbage on the server.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "DiskServiceFixture.h"
#include "engine/ChunkPlan.h"

namespace nimbra::engine {
namespace {

using OrvULD::ORV_SESSION_STATE_FAIL;
using OrvULD::ORV_SESSION_STATE_SCCESS;

class FailureTest : public DiskServiceFixture {
protected:
    int32_t FailedCode(OrvULD::IOrvFileInfo& task) {
        EXPECT_TRUE(WaitForState(task, ORV_SESSION_STATE_FAIL));
        return task.GeterrorCode();
    }
};

// A port on 127.0.0.1 where nothing listens.
int ClosedPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

TEST_F(FailureTest, AFileOver4GiBKeepsItsFullSizeAndIsRefusedForSpaceWithoutBeingSent) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("huge.bin");
    const uint64_t size = (4ull << 30) + 3;  // sparse: nothing of it is written
    std::ofstream(file).close();
    std::filesystem::resize_file(file, size);
    auto task = engine->AddUpLoadFile();
    task->PutfileName(file);
    task->PutFileSize(static_cast<uint32_t>(size));  // what a 32-bit caller passes
    EXPECT_EQ(task->GetFileSize(), size);
    engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_NO_SPACE);  // the account holds 2 GiB
    EXPECT_EQ(task->GetFileSize(), size);
    EXPECT_EQ(task->GetProgress(), 0u);
}

TEST_F(FailureTest, AMissingTargetCatalogIsReportedAs9162) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("a.bin");
    WriteRandomFile(file, 100);
    auto task = StartUpload(*engine, file, "424242");
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_NO_CATALOG);
}

TEST_F(FailureTest, AnExpiredSignOnFailsWith9476AndANewSignOnContinues) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("b.bin");
    const std::string bytes = WriteRandomFile(file, 1000);
    httplib::Client("127.0.0.1", m_port).Post("/__test/expire-tokens");
    auto task = StartUpload(*engine, file);
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_SIGNON_EXPIRED);
    m_token = SignIn();
    Bind(*engine);
    EXPECT_EQ(task->ContUpload(), S_OK);
    ASSERT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    EXPECT_TRUE(SameBytes(DownloadThroughEngine(*engine, RemoteFileAttribute("b.bin", "fileID")), bytes));
}

TEST_F(FailureTest, AVanishedFileFailsWith9156) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("gone.bin");
    WriteRandomFile(file, 100);
    auto task = engine->AddUpLoadFile();
    task->PutfileName(file);
    std::filesystem::remove(file);
    engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_LOCAL_FILE);
}

TEST_F(FailureTest, AFileChangedUnderARunningUploadFailsWith9156AndNeverJoinsTheCatalog) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("changing.bin");
    WriteRandomFile(file, 2 * ChunkPlan::kFirstChunkSize + 5, 21);
    Fault("hangMs=800&pathPrefix=" + UploadPath() + "/&count=1");
    auto task = StartUpload(*engine, file);
    ASSERT_TRUE(
        WaitFor([&] { return task->GetProgress() > ChunkPlan::kFirstChunkSize; }));  // the append has begun
    {
        // Rewritten in place near its end, size unchanged: bytes the held request has yet to read.
        std::fstream rewrite(file, std::ios::binary | std::ios::in | std::ios::out);
        rewrite.seekp(-4, std::ios::end);
        rewrite << "more";
    }
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_LOCAL_FILE);
    EXPECT_EQ(RemoteFileAttribute("changing.bin", "fileID"), "");
    // The request that read old and new bytes was cut off before its checksum: none of it was kept.
    EXPECT_EQ(task->GetProgress(), ChunkPlan::kFirstChunkSize);
    // Continuing cannot make it right either.
    EXPECT_EQ(task->ContUpload(), S_OK);
    EXPECT_EQ(FailedCode(*task), OrvULD::ORV_ERROR_LOCAL_FILE);
}

TEST_F(FailureTest, TheProxyIsUsedForEveryTransfer) {
    auto engine = BoundEngine();
    const std::string file = m_dir.File("p.bin");
    WriteRandomFile(file, 1000);
    engine->ProxyAddr("127.0.0.1", ClosedPort());
    engine->ProxyNameAndPwd("user", "pass");
    auto task = StartUpload(*engine, file);
    EXPECT_GT(WaitForPlannedTry(*task), 0);  // the proxy cannot be reached
    engine->ProxyAddr("", 0);
    EXPECT_EQ(task->ContUpload(), S_OK);
    EXPECT_TRUE(WaitForState(*task, ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
}

}  // namespace
}  // namespace nimbra::engine
