#include "ServiceFixture.h"

#include <nettle/sha1.h>

#include <cstdlib>

#include "service/Digest.h"

namespace nimbra::service::test {

void ServiceFixture::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nimbra-diskd-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dataDir = pattern;
    m_options.dataDir = m_dataDir;
    m_options.testHooks = true;
    m_options.defaultQuotaBytes = 1 << 20;
    StartService();
    ASSERT_TRUE(m_service->AddAccount("alice", "secret", m_options.defaultQuotaBytes));
    m_token = Login("alice", "secret");
    ASSERT_FALSE(m_token.empty());
}

void ServiceFixture::TearDown() {
    StopService();
    std::error_code ec;
    std::filesystem::remove_all(m_dataDir, ec);
}

void ServiceFixture::StartService() {
    StopService();
    m_service = std::make_unique<DiskService>(m_options);
    ASSERT_TRUE(m_service->Start()) << m_service->LastError();
    m_client = NewClient();
}

void ServiceFixture::StopService() {
    m_client.reset();
    if (m_service)
        m_service->Stop();
    m_service.reset();
}

std::unique_ptr<httplib::Client> ServiceFixture::NewClient() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", m_service->Port());
    client->set_keep_alive(true);
    client->set_read_timeout(30, 0);
    return client;
}

std::string ServiceFixture::Login(const std::string& account, const std::string& password) {
    auto res =
        m_client->Post("/lumenoApp/login", httplib::Params{{"account", account}, {"password", password}});
    if (!res || res->status != 200)
        return {};
    const auto begin = res->body.find("<signOn>");
    const auto end = res->body.find("</signOn>");
    if (begin == std::string::npos || end == std::string::npos)
        return {};
    return res->body.substr(begin + 8, end - begin - 8);
}

httplib::Headers ServiceFixture::Auth(const std::string& token) {
    return {{"Authorization", "Bearer " + token}, {"Tus-Resumable", "1.0.0"}};
}

httplib::Result ServiceFixture::CreateUpload(int64_t length,
                                             const std::map<std::string, std::string>& metadata,
                                             const std::string& firstChunk, const std::string& checksum) {
    std::string encoded;
    for (const auto& [key, value] : metadata) {
        if (!encoded.empty())
            encoded += ",";
        encoded += key + " " + Base64Encode(value);
    }
    httplib::Headers headers = Auth();
    headers.emplace("Upload-Length", std::to_string(length));
    headers.emplace("Upload-Metadata", encoded);
    if (!checksum.empty())
        headers.emplace("Upload-Checksum", checksum);
    if (firstChunk.empty())
        return m_client->Post(kEndpoint, headers, "", "");
    return m_client->Post(kEndpoint, headers, firstChunk, "application/offset+octet-stream");
}

httplib::Result ServiceFixture::Patch(const std::string& location, int64_t offset, const std::string& body,
                                      const std::string& checksum) {
    httplib::Headers headers = Auth();
    headers.emplace("Upload-Offset", std::to_string(offset));
    if (!checksum.empty())
        headers.emplace("Upload-Checksum", checksum);
    return m_client->Patch(PathOf(location), headers, body, "application/offset+octet-stream");
}

httplib::Result ServiceFixture::Head(const std::string& location) {
    return m_client->Head(PathOf(location), Auth());
}

std::string ServiceFixture::UploadWhole(const std::string& name, const std::string& content,
                                        std::map<std::string, std::string> metadata) {
    metadata["filename"] = name;
    auto created = CreateUpload(static_cast<int64_t>(content.size()), metadata);
    if (!created || created->status != 201)
        return {};
    if (content.empty())
        return created->get_header_value("X-Nimbra-File-Id");
    auto patched = Patch(created->get_header_value("Location"), 0, content);
    if (!patched || patched->status != 204)
        return {};
    return patched->get_header_value("X-Nimbra-File-Id");
}

std::string ServiceFixture::Download(const std::string& fileId) {
    auto res = m_client->Get("/lumenoApp/file/" + fileId, Auth());
    return res && res->status == 200 ? res->body : std::string("<download failed>");
}

std::string ServiceFixture::PathOf(const std::string& location) {
    const auto scheme = location.find("://");
    if (scheme == std::string::npos)
        return location;
    return location.substr(location.find('/', scheme + 3));
}

std::string ServiceFixture::Sha1Hex(const std::string& data) {
    FileSha1 hash;
    hash.Update(data.data(), data.size());
    return hash.HexDigest();
}

std::string ServiceFixture::Sha1Base64(const std::string& data) {
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, data.size(), reinterpret_cast<const uint8_t*>(data.data()));
    std::string digest(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&ctx, digest.size(), reinterpret_cast<uint8_t*>(digest.data()));
    return "sha1 " + Base64Encode(digest);
}

}  // namespace nimbra::service::test
