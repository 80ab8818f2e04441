// The adapter driving the real engine libraries (loaded by file name through the activation table) against
// a real nimbra-diskd on 127.0.0.1: batches started, listed, followed, paused, resumed and deleted, and a
// download reported, followed and deleted.

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "RecordingCallBack.h"
#include "function/ToolsHelp.h"
#include "platform/CodePage.h"
#include "service/DiskService.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/UIPUploadComp.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPassword = "secret";
constexpr const char* kRequestPath = "/lumenoApp/share/pc_uploadFileRequest";
constexpr uint64_t kMB = 1024 * 1024;

std::string WriteRandomFile(const fs::path& path, size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A generous deadline keeps a broken transfer from hanging the run; it measures nothing.
bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The engine libraries, loaded the way a host that already uses them would have: by their own path. The
// adapter then finds them among the loaded libraries by file name. (Sanitizer runtimes intercept dlopen and
// so hide this executable's run path from a bare-name search.)
bool LoadEngineLibraries() {
    static const bool loaded = dlopen(NIMBRA_ORVUC_PATH, RTLD_NOW | RTLD_LOCAL) != nullptr &&
                               dlopen(NIMBRA_ORVULD_PATH, RTLD_NOW | RTLD_LOCAL) != nullptr;
    return loaded;
}

class UIPEngineIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadEngineLibraries()) << dlerror();
        char dir[] = "/tmp/nimbra-uip-it-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(dir));
        m_dir = dir;
        nimbra::service::ServiceOptions options;
        options.dataDir = m_dir / "service";
        options.testHooks = true;
        m_service = std::make_unique<nimbra::service::DiskService>(options);
        ASSERT_TRUE(m_service->Start()) << m_service->LastError();
        // Each run its own account, so its task database below the program folder starts empty.
        m_account = "uip-it-" + std::to_string(getpid());
        ASSERT_TRUE(m_service->AddAccount(m_account, kPassword, int64_t{2} << 30));
        m_token = SignIn();
        ASSERT_FALSE(m_token.empty());

        ComPtr<OrvULD::IOrvGlobals> globals;
        ASSERT_EQ(S_OK, CEngineActivation::Engine().CreateInstance(OrvULD::CLSID_OrvGlobals,
                                                                   OrvULD::IID_IOrvGlobals, globals))
            << "libOrvUC.so found by file name";
        globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, m_account);
        ASSERT_EQ(0, m_adapter.InitUIPComp()) << "libOrvULD.so found by file name";
    }

    void TearDown() override {
        m_adapter.Clean();
        if (m_service) {
            m_service->Stop();
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
        fs::remove_all(Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + m_account, ignored);
    }

    std::string SignIn() {
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto answer =
            client.Post("/lumenoApp/login", httplib::Params{{"account", m_account}, {"password", kPassword}});
        if (!answer) {
            return {};
        }
        pugi::xml_document doc;
        doc.load_string(answer->body.c_str());
        return doc.select_node("/root/result/signOn").node().text().as_string();
    }

    void Fault(const std::string& query) {
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto answer = client.Post("/__test/fault?" + query);
        ASSERT_TRUE(answer);
        ASSERT_EQ(204, answer->status);
    }

    // The service's id of a file of the top catalog, by its (UTF-8) name; empty when absent.
    std::string RemoteFileId(const std::string& name) {
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto answer = client.Get("/lumenoApp/catalog/root/files",
                                       httplib::Headers{{"Authorization", "Bearer " + m_token}});
        if (!answer) {
            return {};
        }
        pugi::xml_document doc;
        doc.load_string(answer->body.c_str());
        for (const auto& file : doc.select_nodes("//file")) {
            if (name == file.node().attribute("name").as_string()) {
                return file.node().attribute("fileID").as_string();
            }
        }
        return {};
    }

    std::string FileUrl(const std::string& fileId) const {
        return "http://127.0.0.1:" + std::to_string(m_service->Port()) + "/lumenoApp/file/" + fileId;
    }

    tagUploadInfo Request() const {
        tagUploadInfo info;
        info.strHost = "127.0.0.1";
        info.nPort = m_service->Port();
        info.strRequestPath = kRequestPath;
        info.strTargetCatalogID = ROOT_CATALOG_ID;
        info.strTag = "标签";
        info.strSSOKey = m_token;
        return info;
    }

    tagUploadFileEntry Entry(const fs::path& path, uint64_t size) const {
        tagUploadFileEntry entry;
        entry.strFilePath = Utf8ToGb18030(path.string());
        entry.ullFileSize = size;
        entry.strDescription = "说明";
        return entry;
    }

    // The upload's state and amount done as the transfer list polls them.
    tagFileInfo Poll(long fileId, long isUpload) {
        tagFileInfo info;
        EXPECT_EQ(0, m_adapter.GetProgress(fileId, isUpload, info));
        return info;
    }

    bool WaitForState(long fileId, long isUpload, int32_t state) {
        return WaitFor([&] { return Poll(fileId, isUpload).nState == state; });
    }

    fs::path m_dir;
    std::unique_ptr<nimbra::service::DiskService> m_service;
    std::string m_account;
    std::string m_token;
    RecordingCallBack m_callBack;
    CUIPUploadComp m_adapter;
};

TEST_F(UIPEngineIntegrationTest, BatchIsStartedListedFollowedAndDeleted) {
    const fs::path first = m_dir / "a.bin";
    const std::string photoUtf8 = reinterpret_cast<const char*>(u8"照片.bin");
    const fs::path second = m_dir / photoUtf8;
    const std::string firstBytes = WriteRandomFile(first, 300 * 1024, 1);
    const std::string secondBytes = WriteRandomFile(second, 2 * kMB + 7, 2);
    UploadFileList files{Entry(first, firstBytes.size()), Entry(second, secondBytes.size())};

    ASSERT_EQ(0, m_adapter.StartUpload(files, Request(), 0));
    ASSERT_EQ(1u, m_callBack.events.size());
    ASSERT_EQ(2u, m_callBack.events[0].batch.size());
    const long firstId = std::stol(files[0].strFileID);
    const long secondId = std::stol(files[1].strFileID);
    EXPECT_EQ(firstId, m_callBack.events[0].batch[0].nFileID);
    EXPECT_EQ(files[1].strFilePath, m_callBack.events[0].batch[1].strFilePath);

    FileInfoMap tasks;
    ASSERT_EQ(0, m_adapter.GetTaskList(1, tasks));
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ(files[1].strFilePath, tasks.at(secondId).strFilePath);
    EXPECT_EQ("照片.bin", tasks.at(secondId).strFileName);
    EXPECT_EQ(secondBytes.size(), tasks.at(secondId).ullFileSize);

    ASSERT_TRUE(WaitForState(firstId, 1, TASK_FINISHED)) << "error " << m_adapter.GetErrorCode(firstId, 1);
    ASSERT_TRUE(WaitForState(secondId, 1, TASK_FINISHED)) << "error " << m_adapter.GetErrorCode(secondId, 1);
    ASSERT_EQ(0, m_adapter.GetTaskList(1, tasks));
    EXPECT_EQ("100.0%", tasks.at(secondId).strProgress);
    EXPECT_EQ(secondBytes.size(), tasks.at(secondId).ullDoneSize);
    EXPECT_EQ(0, m_adapter.GetErrorCode(secondId, 1));
    EXPECT_EQ(2, m_adapter.GetUIPState()) << "idle once both are done";
    EXPECT_FALSE(RemoteFileId("a.bin").empty());
    EXPECT_FALSE(RemoteFileId(photoUtf8).empty()) << "the name reached the service as UTF-8";

    EXPECT_EQ(0, m_adapter.DeleteTask(firstId, 1));
    ASSERT_EQ(0, m_adapter.GetTaskList(1, tasks));
    EXPECT_EQ(0u, tasks.count(firstId));
    EXPECT_EQ(1u, tasks.count(secondId));

    UploadFileList last;
    ASSERT_EQ(0, m_adapter.GetLastUploadList(last));
    ASSERT_EQ(1u, last.size());
    EXPECT_EQ(files[1].strFileID, last[0].strFileID);
}

TEST_F(UIPEngineIntegrationTest, UploadIsPausedResumedAndDownloadedAgain) {
    const fs::path big = m_dir / "big.bin";
    const std::string bytes = WriteRandomFile(big, 40 * kMB, 3);
    // The first append is held back long enough to pause the task while it is under way.
    Fault(std::string("hangMs=1500&pathPrefix=") + kRequestPath + "/&count=1");
    UploadFileList files{Entry(big, bytes.size())};
    ASSERT_EQ(0, m_adapter.StartUpload(files, Request(), 1));
    ASSERT_EQ(1u, m_callBack.events.size());
    EXPECT_EQ(UIP_EVENT_FOLDER_BATCH, m_callBack.events[0].id);
    const long id = std::stol(files[0].strFileID);

    ASSERT_EQ(0, m_adapter.PauseTask(id, 1));
    EXPECT_EQ(TASK_PAUSED, Poll(id, 1).nState);
    EXPECT_TRUE(RemoteFileId("big.bin").empty());

    ASSERT_EQ(0, m_adapter.ResumeTask(id, 1));
    ASSERT_TRUE(WaitForState(id, 1, TASK_FINISHED)) << "error " << m_adapter.GetErrorCode(id, 1);
    const tagFileInfo done = Poll(id, 1);
    EXPECT_EQ(bytes.size(), done.ullDoneSize);
    tagUploadProgress progress;
    ASSERT_EQ(0, m_adapter.GetProgress(id, progress));
    EXPECT_EQ(bytes.size(), progress.ullDone);
    EXPECT_EQ(TASK_FINISHED, progress.nState);

    const std::string fileId = RemoteFileId("big.bin");
    ASSERT_FALSE(fileId.empty());
    const fs::path target = m_dir / "big-copy.bin";
    ASSERT_EQ(0, m_adapter.DownloadFile(FileUrl(fileId), Utf8ToGb18030(target.string()),
                                        DOWNLOAD_KIND_ORDINARY, 5));
    ASSERT_EQ(2u, m_callBack.events.size());
    const RecordedEvent& reported = m_callBack.events[1];
    EXPECT_EQ(UIP_EVENT_DOWNLOAD, reported.id);
    EXPECT_EQ(5, reported.lParam);
    tagFileInfo download = reported.record;
    EXPECT_EQ(Utf8ToGb18030(target.string()), download.strFilePath);
    long percent = -1;
    ASSERT_TRUE(WaitFor([&] {
        return m_adapter.GetDownLOadProgress(percent, download) == 0 && download.nState == TASK_FINISHED;
    })) << "error "
        << m_adapter.GetErrorCode(download.nFileID, 0);
    EXPECT_EQ(100, percent);
    EXPECT_EQ(bytes.size(), download.ullFileSize) << "a 40 MB download's percentage is computed in 64 bits";
    EXPECT_EQ(bytes, ReadFile(target));

    FileInfoMap downloads;
    ASSERT_EQ(0, m_adapter.GetTaskList(0, downloads));
    EXPECT_EQ(1u, downloads.count(download.nFileID));
    EXPECT_EQ(-1, m_adapter.PauseTask(download.nFileID, 1)) << "a download is not in the upload list";
    EXPECT_EQ(0, m_adapter.DeleteTask(download.nFileID, 0));
    ASSERT_EQ(0, m_adapter.GetTaskList(0, downloads));
    EXPECT_EQ(0u, downloads.count(download.nFileID));
}

}  // namespace
