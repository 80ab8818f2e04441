#pragma once
// A real nimbra-diskd (in process, with its test hooks) on 127.0.0.1 and a signed-in account, for driving the
// engine against it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "EngineLibrary.h"
#include "ManualRetryClock.h"
#include "TempDir.h"
#include "service/DiskService.h"

namespace nimbra::engine {

class DiskServiceFixture : public ::testing::Test {
protected:
    static constexpr const char* kAccount = "alice";
    static constexpr const char* kPassword = "secret";

    void SetUp() override;
    void TearDown() override;

    // Starts the service (again) on the same port and data folder.
    void StartService();
    void StopService();
    // Arms a fault of the test hooks, e.g. "hangMs=1500&pathPrefix=/lumenoApp/share&count=1".
    void Fault(const std::string& query);
    std::string SignIn();

    // A fresh engine bound to the account with the current sign-on; its automatic retries go by m_clock.
    ComPtr<OrvULD::IOrvUpLoad> BoundEngine();
    void Bind(OrvULD::IOrvUpLoad& engine);
    std::string DatabasePath() const { return m_dir.File("program/alice/uploaddb.db"); }
    std::string UploadPath() const { return "/lumenoApp/share/pc_uploadFileRequest"; }

    // Adds and starts one upload of path; returns the task.
    ComPtr<OrvULD::IOrvFileInfo> StartUpload(OrvULD::IOrvUpLoad& engine, const std::string& path,
                                             const std::string& parentCatalog = "root");
    // Waits (a generous deadline guards against hanging, it is no timing check) for the state.
    static bool WaitForState(OrvULD::IOrvFileInfo& task, OrvULD::ORV_UPLOAD_SESSION_STATE state);
    static bool WaitFor(const std::function<bool()>& condition);
    // Waits until the task, cut off by the network, waits for a try still to come; the milliseconds until
    // then.
    static int64_t WaitForPlannedTry(OrvULD::IOrvFileInfo& task);

    // The id of the file of that name in the top catalog ("" when absent), and attributes of it.
    std::string RemoteFileAttribute(const std::string& name, const std::string& attribute);
    std::string FileUrl(const std::string& fileId) const;
    // Downloads through the engine and returns the downloaded bytes.
    std::string DownloadThroughEngine(OrvULD::IOrvUpLoad& engine, const std::string& fileId);
    std::string HttpGet(const std::string& path, int* status = nullptr);

    TempDir m_dir;
    std::shared_ptr<ManualRetryClock> m_clock = std::make_shared<ManualRetryClock>();
    std::unique_ptr<service::DiskService> m_service;
    int m_port = 0;
    std::string m_token;
};

// Random bytes of the given size written to path; returns them.
std::string WriteRandomFile(const std::string& path, size_t size, unsigned seed = 1);
std::string ReadFile(const std::string& path);
// Equal byte strings; on a difference, says where instead of printing megabytes.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

}  // namespace nimbra::engine
