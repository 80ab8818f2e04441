#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "service/DiskService.h"

namespace nimbra::service::test {

inline constexpr const char* kEndpoint = "/lumenoApp/share/pc_uploadFileRequest";

// A real service on 127.0.0.1 over a fresh data folder, with account "alice" signed in.
class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts (or restarts, on the same data folder) the service with m_options.
    void StartService();
    void StopService();

    std::unique_ptr<httplib::Client> NewClient() const;
    std::string Login(const std::string& account, const std::string& password);
    httplib::Headers Auth() const { return Auth(m_token); }
    static httplib::Headers Auth(const std::string& token);

    // tus helpers: metadata values are given plain and encoded here.
    httplib::Result CreateUpload(int64_t length, const std::map<std::string, std::string>& metadata,
                                 const std::string& firstChunk = {}, const std::string& checksum = {});
    httplib::Result Patch(const std::string& location, int64_t offset, const std::string& body,
                          const std::string& checksum = {});
    httplib::Result Head(const std::string& location);
    // Creates and completes an upload; returns the new file id ("" on failure).
    std::string UploadWhole(const std::string& name, const std::string& content,
                            std::map<std::string, std::string> metadata = {});
    std::string Download(const std::string& fileId);
    static std::string PathOf(const std::string& location);
    static std::string Sha1Hex(const std::string& data);
    static std::string Sha1Base64(const std::string& data);

    std::filesystem::path m_dataDir;
    ServiceOptions m_options;
    std::unique_ptr<DiskService> m_service;
    std::unique_ptr<httplib::Client> m_client;
    std::string m_token;
};

}  // namespace nimbra::service::test
