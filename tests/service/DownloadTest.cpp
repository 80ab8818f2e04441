#include <gtest/gtest.h>

#include <fstream>

#include "ServiceFixture.h"

namespace nimbra::service::test {
namespace {

class DownloadTest : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        m_fileId = UploadWhole("digits.txt", "0123456789");
        ASSERT_FALSE(m_fileId.empty());
    }
    httplib::Result GetRange(const std::string& range) {
        auto headers = Auth();
        headers.emplace("Range", range);
        return m_client->Get("/lumenoApp/file/" + m_fileId, headers);
    }
    std::string m_fileId;
};

TEST_F(DownloadTest, RangesGivePartialContent) {
    struct Case {
        const char* range;
        const char* body;
        const char* contentRange;
    };
    for (const Case& c :
         {Case{"bytes=3-", "3456789", "bytes 3-9/10"}, Case{"bytes=2-4", "234", "bytes 2-4/10"},
          Case{"bytes=8-100", "89", "bytes 8-9/10"}, Case{"bytes=-3", "789", "bytes 7-9/10"}}) {
        auto res = GetRange(c.range);
        ASSERT_TRUE(res) << c.range;
        EXPECT_EQ(res->status, 206) << c.range;
        EXPECT_EQ(res->body, c.body) << c.range;
        EXPECT_EQ(res->get_header_value("Content-Range"), c.contentRange) << c.range;
        EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(std::string(c.body).size()));
    }
}

TEST_F(DownloadTest, ARangeIsHonouredOnlyForTheVersionIfRangeNames) {
    const std::string tag = m_client->Get("/lumenoApp/file/" + m_fileId, Auth())->get_header_value("ETag");
    ASSERT_FALSE(tag.empty());
    auto headers = Auth();
    headers.emplace("Range", "bytes=7-");
    headers.emplace("If-Range", tag);
    auto same = m_client->Get("/lumenoApp/file/" + m_fileId, headers);
    EXPECT_EQ(same->status, 206);
    EXPECT_EQ(same->body, "789");
    headers.erase("If-Range");
    headers.emplace("If-Range", "\"another-version\"");
    auto other = m_client->Get("/lumenoApp/file/" + m_fileId, headers);
    EXPECT_EQ(other->status, 200);
    EXPECT_EQ(other->body, "0123456789");
    EXPECT_EQ(other->get_header_value("ETag"), tag);
}

TEST_F(DownloadTest, UnsatisfiableRangeIs416AndHeadGivesTheSize) {
    // Also a Range that cannot be read at all: the HTTP library refuses it before the service sees it.
    for (const char* range : {"bytes=10-", "bytes=-0", "bytes=x-3", "bytes=5-2", "items=0-1"}) {
        auto res = GetRange(range);
        EXPECT_EQ(res->status, 416) << range;
    }
    EXPECT_EQ(GetRange("bytes=10-")->get_header_value("Content-Range"), "bytes */10");
    auto several = GetRange("bytes=0-1,4-5");
    EXPECT_EQ(several->status, 200);
    EXPECT_EQ(several->body, "0123456789");
    auto head = m_client->Head("/lumenoApp/file/" + m_fileId, Auth());
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->get_header_value("Content-Length"), "10");
    EXPECT_EQ(m_client->Get("/lumenoApp/file/" + m_fileId)->status, 401);
    EXPECT_EQ(m_client->Get("/lumenoApp/file/99999", Auth())->status, 404);
}

TEST_F(DownloadTest, LargeBodiesAreHashedAndStoredInOrder) {
    std::string content(5 << 20, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>((i * 7919) >> 5);
    ASSERT_TRUE(m_service->AddAccount("carol", "pw", 64 << 20));
    m_token = Login("carol", "pw");
    // The whole-file SHA-1 is checked when the upload finishes: any block hashed out of order fails it.
    const std::string id = UploadWhole("big.bin", content, {{"sha1", Sha1Hex(content)}});
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(Download(id) == content);

    // A large chunk whose checksum fails leaves nothing behind, even with blocks already written.
    auto created = CreateUpload(static_cast<int64_t>(content.size()), {{"filename", "again.bin"}});
    const std::string location = created->get_header_value("Location");
    EXPECT_EQ(Patch(location, 0, content, Sha1Base64("something else"))->status, 460);
    EXPECT_EQ(Head(location)->get_header_value("Upload-Offset"), "0");
    const std::string uploadId = location.substr(location.rfind('/') + 1);
    EXPECT_EQ(std::filesystem::file_size(m_dataDir / "uploads" / uploadId), 0u);
    EXPECT_EQ(Patch(location, 0, content, Sha1Base64(content))->status, 204);
}

TEST_F(DownloadTest, ThumbnailAttachesBeforeOrAfterFinishing) {
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "fake-jpeg-body";
    auto created = CreateUpload(2, {{"filename", "pic.jpg"}});
    const std::string location = PathOf(created->get_header_value("Location"));
    EXPECT_EQ(m_client->Put(location + "/thumbnail", Auth(), "not a jpeg", "image/jpeg")
                  ->get_header_value("X-Nimbra-Error"),
              "9493");
    EXPECT_EQ(m_client->Put(location + "/thumbnail", Auth(), jpeg, "image/jpeg")->status, 204);
    const std::string withThumb = Patch(location, 0, "ab")->get_header_value("X-Nimbra-File-Id");
    auto thumb = m_client->Get("/lumenoApp/file/" + withThumb + "/thumbnail", Auth());
    EXPECT_EQ(thumb->status, 200);
    EXPECT_EQ(thumb->body, jpeg);
    EXPECT_EQ(thumb->get_header_value("Content-Type"), "image/jpeg");

    EXPECT_EQ(m_client->Get("/lumenoApp/file/" + m_fileId + "/thumbnail", Auth())->status, 404);
    auto later = CreateUpload(1, {{"filename", "late.jpg"}}, "z");
    const std::string laterId = later->get_header_value("X-Nimbra-File-Id");
    EXPECT_EQ(
        m_client->Put(PathOf(later->get_header_value("Location")) + "/thumbnail", Auth(), jpeg, "image/jpeg")
            ->status,
        204);
    EXPECT_EQ(m_client->Get("/lumenoApp/file/" + laterId + "/thumbnail", Auth())->body, jpeg);
}

TEST_F(DownloadTest, StaticFilesAreServedWithoutSignOnAndStayInsideTheFolder) {
    std::filesystem::create_directories(m_dataDir / "static" / "skins");
    std::ofstream(m_dataDir / "static" / "skins" / "blue.zip", std::ios::binary) << "PK-archive";
    auto res = m_client->Get("/static/skins/blue.zip");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "PK-archive");
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/zip");
    auto partial = m_client->Get("/static/skins/blue.zip", {{"Range", "bytes=2-"}});
    EXPECT_EQ(partial->body, "-archive");
    for (const char* path : {"/static/../meta.db", "/static/skins/%2e%2e/%2e%2e/meta.db", "/static/skins",
                             "/static/skins/missing.zip", "/static/.hidden"})
        EXPECT_EQ(m_client->Get(path)->status, 404) << path;
}

}  // namespace
}  // namespace nimbra::service::test
