#include "DiskServiceFixture.h"

#include <curl/curl.h>

#include <httplib.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "engine/OrvUpLoad.h"

namespace nimbra::engine {

void DiskServiceFixture::SetUp() {
    StartService();
    ASSERT_TRUE(m_service->AddAccount(kAccount, kPassword, int64_t{2} << 30));
    m_token = SignIn();
    ASSERT_FALSE(m_token.empty());
}

void DiskServiceFixture::TearDown() {
    StopService();
}

void DiskServiceFixture::StartService() {
    service::ServiceOptions options;
    options.dataDir = m_dir.Path() / "service";
    options.port = m_port;
    options.testHooks = true;
    m_service = std::make_unique<service::DiskService>(options);
    ASSERT_TRUE(m_service->Start()) << m_service->LastError();
    m_port = m_service->Port();
}

void DiskServiceFixture::StopService() {
    if (m_service) {
        m_service->Stop();
        m_service.reset();
    }
}

void DiskServiceFixture::Fault(const std::string& query) {
    httplib::Client client("127.0.0.1", m_port);
    const auto answer = client.Post("/__test/fault?" + query);
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 204);
}

std::string DiskServiceFixture::SignIn() {
    httplib::Client client("127.0.0.1", m_port);
    const httplib::Params form{{"account", kAccount}, {"password", kPassword}};
    const auto answer = client.Post("/lumenoApp/login", form);
    if (!answer) {
        return {};
    }
    pugi::xml_document doc;
    doc.load_string(answer->body.c_str());
    return doc.select_node("/root/result/signOn").node().text().as_string();
}

ComPtr<OrvULD::IOrvUpLoad> DiskServiceFixture::BoundEngine() {
    // As the engine library's entry point does, once, before any transfer thread.
    static const CURLcode curlReady = curl_global_init(CURL_GLOBAL_DEFAULT);
    EXPECT_EQ(curlReady, CURLE_OK);
    auto engine =
        ComPtr<OrvULD::IOrvUpLoad>::Attach(new OrvUpLoad(std::make_shared<TransferEngine>(m_clock)));
    Bind(*engine);
    return engine;
}

void DiskServiceFixture::Bind(OrvULD::IOrvUpLoad& engine) {
    engine.Init(kAccount, UploadPath(), "127.0.0.1", m_port, m_token, DatabasePath());
}

ComPtr<OrvULD::IOrvFileInfo> DiskServiceFixture::StartUpload(OrvULD::IOrvUpLoad& engine,
                                                             const std::string& path,
                                                             const std::string& parentCatalog) {
    auto task = engine.AddUpLoadFile();
    task->PutfileName(path);
    task->PutParentCatalogID(parentCatalog);
    engine.UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID);
    return task;
}

bool DiskServiceFixture::WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int64_t DiskServiceFixture::WaitForPlannedTry(OrvULD::IOrvFileInfo& task) {
    int64_t left = -1;
    const bool planned = WaitFor([&] {
        left = task.GetNextTryIn();
        return left > 0 && task.GetState() == OrvULD::ORV_SESSION_STATE_READY &&
               task.GeterrorCode() == OrvULD::ORV_ERROR_NETWORK;
    });
    EXPECT_TRUE(planned) << "state " << task.GetState() << ", error " << task.GeterrorCode();
    return left;
}

bool DiskServiceFixture::WaitForState(OrvULD::IOrvFileInfo& task, OrvULD::ORV_UPLOAD_SESSION_STATE state) {
    return WaitFor([&] { return task.GetState() == state; });
}

std::string DiskServiceFixture::HttpGet(const std::string& path, int* status) {
    httplib::Client client("127.0.0.1", m_port);
    const auto answer = client.Get(path, {{"Authorization", "Bearer " + m_token}});
    if (status) {
        *status = answer ? answer->status : 0;
    }
    return answer ? answer->body : std::string();
}

std::string DiskServiceFixture::RemoteFileAttribute(const std::string& name, const std::string& attribute) {
    pugi::xml_document doc;
    doc.load_string(HttpGet("/lumenoApp/catalog/root/files").c_str());
    for (const auto& file : doc.select_nodes("//file")) {
        if (name == file.node().attribute("name").as_string()) {
            return file.node().attribute(attribute.c_str()).as_string();
        }
    }
    return {};
}

std::string DiskServiceFixture::FileUrl(const std::string& fileId) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/lumenoApp/file/" + fileId;
}

std::string DiskServiceFixture::DownloadThroughEngine(OrvULD::IOrvUpLoad& engine, const std::string& fileId) {
    const std::string target = m_dir.File("download-" + fileId);
    auto task = engine.DownLoad(FileUrl(fileId), kAccount, target);
    EXPECT_TRUE(WaitForState(*task, OrvULD::ORV_SESSION_STATE_SCCESS)) << "error " << task->GeterrorCode();
    return ReadFile(target);
}

std::string WriteRandomFile(const std::string& path, size_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i += 8) {
        const uint64_t word = random();
        std::memcpy(bytes.data() + i, &word, std::min<size_t>(8, size - i));
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at byte " << (diff.first - actual.begin());
}

}  // namespace nimbra::engine
